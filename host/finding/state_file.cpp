#include "host/finding/state_file.h"

namespace quenor::host {

std::optional<std::string> readStateFile(files::FileIo& io, const std::filesystem::path& file,
                                         std::uint64_t maxBytes) {
    try {
        return files::readWholeText(io, file, maxBytes);
    } catch (const files::FileIoError&) {
        return std::nullopt;
    }
}

void writeStateFile(files::FileIo& io, const std::filesystem::path& file, const std::string& text) {
    try {
        io.createFolders(files::FileIo::folderOf(file));
        files::writeFileAtomically(
            io, file, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    } catch (const files::FileIoError&) {
        // Only remembered: the next run finds or chooses again.
    }
}

}  // namespace quenor::host
