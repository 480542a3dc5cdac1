// Turning archive entry names into safe paths below an output folder.
#include "app/quenor_viv/extraction_path.h"

#include "lib/base/ascii.h"

#include <string>

namespace quenor::vivtool {
namespace {
bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

// Windows opens a device, not a file, for these names, whatever their extension and any
// dots or blanks after them ("nul.cfg", "CON ", "com1.txt").
bool isWindowsDeviceName(std::string_view part) {
    std::string stem = base::asciiUppered(part.substr(0, part.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
        if (stem == device) return true;
    }
    return stem.size() == 4 && (stem.rfind("COM", 0) == 0 || stem.rfind("LPT", 0) == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}
}  // namespace

std::filesystem::path extractionPath(std::string_view name) {
    if (name.empty()) throw UnsafeEntryName("the name is empty");
    if (isSeparator(name.front())) {
        throw UnsafeEntryName("the name is an absolute path");
    }
    if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]))) {
        throw UnsafeEntryName("the name starts with a drive letter");
    }
    std::filesystem::path result;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = start;
        while (end < name.size() && !isSeparator(name[end])) ++end;
        std::string_view part = name.substr(start, end - start);
        if (part == "..") throw UnsafeEntryName("the name contains a \"..\" component");
        // On Windows a ':' makes a drive-relative path or names a stream of another file.
        if (part.find(':') != std::string_view::npos) {
            throw UnsafeEntryName("the name contains a ':'");
        }
        if (isWindowsDeviceName(part)) {
            throw UnsafeEntryName("the name \"" + std::string(part) +
                                  "\" is a Windows device (CON, NUL, COM1 ...), not a file");
        }
        if (!part.empty() && part != ".") result /= std::string(part);
        start = end + 1;
    }
    if (result.empty()) throw UnsafeEntryName("the name names no file");
    if (isSeparator(name.back())) throw UnsafeEntryName("the name ends with a separator");
    return result;
}

}  // namespace quenor::vivtool
