// Export and add, as the patcher uses them.
#include "patching/viv/viv_operations.h"

#include "patching/viv/archive_error.h"
#include "patching/viv/archive_reader.h"

namespace quenor::viv {

void exportEntry(const std::filesystem::path& archive, std::string_view name,
                 const std::filesystem::path& destination, FileIo& io) {
    ArchiveReader reader(io, archive);
    const std::size_t index = reader.require(name);
    const std::filesystem::path temp = temporarySibling(destination);
    try {
        std::uint32_t permissions = io.exists(destination) ? io.permissions(destination) : 0644;
        {
            auto out = io.open(temp, OpenMode::kCreate, permissions);
            std::uint64_t written = 0;
            reader.streamPlain(index, [&](std::span<const std::uint8_t> piece) {
                out->writeAt(written, piece);
                written += piece.size();
            });
            out->sync();
        }
        io.rename(temp, destination);
    } catch (const FileIoError& error) {
        try {
            io.remove(temp);
        } catch (const FileIoError&) {
            // The first failure is the one to report.
        }
        throw ArchiveError(reader.describeEntry(index) + " could not be exported to " +
                           destination.string() + ": " + error.what());
    } catch (...) {
        try {
            io.remove(temp);
        } catch (const FileIoError&) {
        }
        throw;
    }
}

UpdateResult addFile(const std::filesystem::path& archive, const std::filesystem::path& source,
                     FileIo& io, std::optional<std::string> name) {
    const std::string entryName = name ? *name : source.filename().string();
    std::vector<std::uint8_t> plain;
    try {
        plain = readWholeFile(io, source, kMaxPlainSize);
    } catch (const FileIoError& error) {
        throw ArchiveError("Archive " + archive.string() + ": entry " + entryName +
                           " cannot be added: " + error.what());
    }
    return putEntry(io, archive, entryName, plain);
}

}  // namespace quenor::viv
