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

std::string FileSystem::whyNotAGameFolder(const std::string& folder) const {
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (folder.empty()) return "it is empty";
    if (folder.size() >= 2 && letter(folder[0]) && folder[1] == ':') {
        if (folder.size() >= 3 && separator(folder[2])) return {};
        return "it is not a full path (no separator after the drive)";
    }
    if (folder.size() >= 2 && separator(folder[0]) && separator(folder[1]))
        return "it is a network path, which Quenor does not reach";
    if (folder[0] == '/' && takesHostGameFolders()) return {};
    if (separator(folder[0]))
        return "it names no drive (a path from the root of the current drive)";
    return "it is not a full path (it names no drive)";
}

std::string FileSystem::identityPath(const std::string& path) const {
    try {
        return io().realPath(pathOf(path)).string();
    } catch (const std::exception&) {
        return path;
    }
}

}  // namespace quenor
