// Export and add, as the patcher uses them.
#include "lib/viv/viv_operations.h"

#include "lib/files/file_error.h"
#include "lib/viv/archive_error.h"
#include "lib/viv/archive_reader.h"

namespace quenor::viv {

void exportEntry(const std::filesystem::path& archive, std::string_view name,
                 const std::filesystem::path& destination, files::FileIo& io) {
    ArchiveReader reader(io, archive);
    const std::size_t index = reader.require(name);
    const std::filesystem::path temp = files::temporarySibling(destination);
    try {
        std::uint32_t permissions = io.exists(destination) ? io.permissions(destination) : 0644;
        {
            auto out = io.open(temp, files::OpenMode::kCreate, permissions);
            std::uint64_t written = 0;
            reader.streamPlain(index, [&](std::span<const std::uint8_t> piece) {
                out->writeAt(written, piece);
                written += piece.size();
            });
            out->sync();
        }
        io.rename(temp, destination);
    } catch (const files::FileIoError& error) {
        try {
            io.remove(temp);
        } catch (const files::FileIoError&) {
            // The first failure is the one to report.
        }
        throw ArchiveError(reader.describeEntry(index) + " could not be exported to " +
                           destination.string() + ": " + error.what());
    } catch (...) {
        try {
            io.remove(temp);
        } catch (const files::FileIoError&) {
        }
        throw;
    }
}

UpdateResult addFile(const std::filesystem::path& archive, const std::filesystem::path& source,
                     files::FileIo& io, std::optional<std::string> name) {
    const std::string entryName = name ? *name : source.filename().string();
    std::vector<std::uint8_t> plain;
    try {
        plain = files::readWholeFile(io, source, kMaxPlainSize);
    } catch (const files::FileIoError& error) {
        throw ArchiveError("Archive " + archive.string() + ": entry " + entryName +
                           " cannot be added: " + error.what());
    }
    return putEntry(io, archive, entryName, plain);
}

}  // namespace quenor::viv
