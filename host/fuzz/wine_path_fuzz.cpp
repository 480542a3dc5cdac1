// Fuzz target over Windows paths mapped through a Wine prefix (the game's "Install Dir" comes
// from a registry the player may have edited). Any path maps to a host path or is refused; a
// mapped drive path stays below the drive's link, with no "." or ".." name and no NUL byte,
// as Wine resolves it; a path with a "." or ".." name is refused.
#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/wine_path_file_system_posix.h"

namespace {

namespace fs = std::filesystem;

// A prefix with two drives and names that differ only in letter case, made once.
const fs::path& prefix() {
    static const fs::path made = [] {
        std::string pattern = (fs::temp_directory_path() / "quenor-path-fuzz-XXXXXX").string();
        const fs::path root = ::mkdtemp(pattern.data());
        const fs::path prefix = root / "prefix";
        fs::create_directories(prefix / "dosdevices");
        fs::create_directories(prefix / "drive_c" / "Games" / "NHL 09" / "preload");
        fs::create_directories(prefix / "drive_c" / "games");
        fs::create_directories(prefix / "drive_c" / "Program Files (x86)");
        fs::create_directories(prefix / "drive_c" / "caf\xc3\xa9");
        fs::create_directories(root / "media" / "disc");
        fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
        fs::create_directory_symlink(root / "media", prefix / "dosdevices" / "d:");
        return prefix;
    }();
    return made;
}

bool isDotName(const std::string& name) {
    return name == "." || name == "..";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path(reinterpret_cast<const char*>(data), size);
    const quenor::host::MappedPath mapped =
        quenor::host::mapToolPath(quenor::files::systemFileIo(), prefix(), path);
    const char letter = static_cast<char>(size > 0 ? data[0] | 0x20 : 0);
    const bool hasDrive = size >= 2 && letter >= 'a' && letter <= 'z' && data[1] == ':';
    if (!hasDrive) return 0;

    bool dotName = false;
    std::string name;
    for (std::size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\' || path[i] == '/') {
            dotName = dotName || isDotName(name);
            name.clear();
        } else {
            name += path[i];
        }
    }
    if (dotName && mapped.error.empty()) __builtin_trap();
    if (!mapped.error.empty()) return 0;

    const std::string link = std::string(1, static_cast<char>(data[0] | 0x20)) + ":";
    const std::string drive = (prefix() / "dosdevices" / link).string();
    const std::string host = mapped.host.string();
    if (host.compare(0, drive.size(), drive) != 0) __builtin_trap();
    if (host.find('\0') != std::string::npos) __builtin_trap();
    for (const fs::path& part : fs::path(host.substr(drive.size())).relative_path()) {
        if (isDotName(part.string())) __builtin_trap();
    }
    if (quenor::host::mapToolPath(quenor::files::systemFileIo(), prefix(), path).host !=
        mapped.host)
        __builtin_trap();
    return 0;
}
