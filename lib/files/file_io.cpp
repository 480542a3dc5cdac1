// Whole-file helpers on top of FileIo.
#include <string>

#include "lib/files/file_error.h"
#include "lib/files/file_io.h"

namespace quenor::files {

std::filesystem::path temporarySibling(const std::filesystem::path& path) {
    std::filesystem::path temp = path;
    temp += ".quenor-new";
    return temp;
}

void writeFileAtomically(FileIo& io, const std::filesystem::path& path,
                         std::span<const std::uint8_t> content) {
    std::uint32_t permissions = io.exists(path) ? io.permissions(path) : 0644;
    std::filesystem::path temp = temporarySibling(path);
    try {
        {
            auto file = io.open(temp, OpenMode::kCreate, permissions);
            file->writeAt(0, content);
            file->sync();
        }
        io.rename(temp, path);
    } catch (...) {
        try {
            io.remove(temp);
        } catch (const FileIoError&) {
            // The first failure is the one to report.
        }
        throw;
    }
}

std::vector<std::uint8_t> readWholeFile(FileIo& io, const std::filesystem::path& path,
                                        std::uint64_t maxBytes) {
    auto file = io.open(path, OpenMode::kRead);
    std::uint64_t size = file->size();
    if (size > maxBytes) {
        throw FileIoError("Reading " + path.string() + " failed: the file has " +
                          std::to_string(size) + " bytes, more than the " +
                          std::to_string(maxBytes) + " this tool accepts.");
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    file->readAt(0, bytes);
    return bytes;
}

}  // namespace quenor::files
