#include "core/platform/file_system.h"

#include <algorithm>

#include "lib/base/code_page.h"

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

std::string FileSystem::whyNotAFullPath(const std::string& folder) const {
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

std::string FileSystem::whyNotAGameFolder(const std::string& folder) const {
    if (std::string why = whyNotAFullPath(folder); !why.empty()) return why;
    const base::CodePage& page = base::ansiCodePage();
    const int wanted = base::wantedAnsiCodePage();
    // Where the tool has no table of the locale's code page, Windows-1252 stands in for it:
    // a letter beyond ASCII may be another in the game's code page.
    const bool beyondAscii = std::any_of(folder.begin(), folder.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x80 || c == '?';
    });
    if (page.number() != wanted && beyondAscii) {
        return "a name in it holds letters beyond ASCII, and this locale's code page is " +
               std::to_string(wanted) +
               ", which Quenor does not read (it reads the single-byte code pages, Windows-874 "
               "and 1250 to 1258); start Quenor under a locale of one of them";
    }
    // The registry's text takes the code page's form: a character without one becomes '?',
    // which no Windows name holds.
    if (folder.find('?') != std::string::npos) {
        return "a name in it holds a character that " + page.name() +
               ", the code page the game gets under this locale, cannot hold (shown as \"?\"): "
               "the game cannot open that folder either. Start the game and Quenor under a "
               "locale whose code page holds it (for Cyrillic names, LANG=ru_RU.UTF-8), or "
               "install the game in a folder of such letters";
    }
    return {};
}

std::string FileSystem::identityPath(const std::string& path) const {
    try {
        return io().realPath(pathOf(path)).string();
    } catch (const std::exception&) {
        return path;
    }
}

}  // namespace quenor
