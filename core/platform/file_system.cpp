#include "core/platform/file_system.h"

namespace quenor {

std::string FileSystem::namingHostFile(const std::string& path, std::string text) const {
    try {
        const std::string given = pathOf(path).string();
        const std::string host = io().hostPathOf(pathOf(path)).string();
        if (given.empty() || given == host) return text;
        for (std::size_t at = text.find(given); at != std::string::npos;
             at = text.find(given, at + host.size())) {
            text.replace(at, given.size(), host);
        }
    } catch (const std::exception&) {
        // A path that leads nowhere is named as it was given.
    }
    return text;
}

std::string FileSystem::identityPath(const std::string& path) const {
    try {
        return io().realPath(pathOf(path)).string();
    } catch (const std::exception&) {
        return path;
    }
}

}  // namespace quenor
