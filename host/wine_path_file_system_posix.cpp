#include "host/wine_path_file_system_posix.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "core/tool_error.h"
#include "lib/base/code_page.h"

namespace quenor::host {

namespace {

bool isDriveLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool hasDrive(const std::string& path) {
    return path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':';
}

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

// Windows allows no control character and none of < > : " | ? * in a file name. A NUL byte
// would even cut the host path short and name another file.
bool isForbiddenInName(char c) {
    return static_cast<unsigned char>(c) < 32 ||
           std::string_view("<>:\"|?*").find(c) != std::string_view::npos;
}

// A name in the game's code page as the UTF-8 name of a host file, as Wine names it.
std::string codePageToUtf8(const std::string& name) {
    return base::ansiCodePage().toUtf8(name);
}

// The characters of a UTF-8 name with letter case folded (ASCII and Latin-1 letters);
// a byte that is not part of valid UTF-8 stands for itself.
// The small letter of a capital of the scripts Windows-1250 to 1257 hold (Latin with its
// accents, Greek, Cyrillic), as Wine folds names; any other character as it is.
char32_t lowerCase(char32_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x138 && c != 0x149 && c != 0x17F) {
        // Latin Extended-A pairs capital and small: even-odd, but odd-even from U+0139 to U+0148
        // and from U+0179 on.
        const bool oddPairs = (c >= 0x139 && c <= 0x148) || c >= 0x179;
        return (c % 2 == (oddPairs ? 1 : 0)) ? c + 1 : c;
    }
    if (c == 0x178) return 0xFF;
    if ((c >= 0x391 && c <= 0x3A9 && c != 0x3A2) || (c >= 0x410 && c <= 0x42F)) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (c >= 0x386 && c <= 0x38F) {
        switch (c) {
            case 0x386:
                return 0x3AC;
            case 0x388:
                return 0x3AD;
            case 0x389:
                return 0x3AE;
            case 0x38A:
                return 0x3AF;
            case 0x38C:
                return 0x3CC;
            case 0x38E:
                return 0x3CD;
            case 0x38F:
                return 0x3CE;
            default:
                return c;
        }
    }
    return c;
}

std::u32string folded(std::string_view name) {
    std::u32string out;
    for (std::size_t i = 0; i < name.size();) {
        const auto lead = static_cast<unsigned char>(name[i]);
        std::size_t length = lead < 0x80         ? 1
                             : (lead >> 5) == 6  ? 2
                             : (lead >> 4) == 14 ? 3
                             : (lead >> 3) == 30 ? 4
                                                 : 0;
        char32_t c = lead;
        bool valid = length > 0 && i + length <= name.size();
        if (valid && length > 1) {
            c = lead & (0x7F >> length);
            for (std::size_t k = 1; k < length; ++k) {
                const auto next = static_cast<unsigned char>(name[i + k]);
                if ((next & 0xC0) != 0x80) valid = false;
                c = (c << 6) | (next & 0x3F);
            }
        }
        if (!valid) {
            c = 0xDC00 + lead;  // keeps a stray byte distinct from every character
            length = 1;
        }
        out += lowerCase(c);
        i += length;
    }
    return out;
}

// The name in `folder` that Wine would open for `name`: the exact one, else the first (in
// sorted order) that differs only in letter case; empty when there is none.
std::string findName(files::FileIo& io, const std::filesystem::path& folder,
                     const std::string& name) {
    if (io.exists(folder / name)) return name;
    std::vector<std::string> matches;
    const std::u32string wanted = folded(name);
    for (const std::string& candidate : io.namesIn(folder)) {
        if (candidate == name) return name;  // a link that leads nowhere is still this name
        if (folded(candidate) == wanted) matches.push_back(candidate);
    }
    if (matches.empty()) return {};
    return *std::min_element(matches.begin(), matches.end());
}

}  // namespace

namespace {

// Where a file that is a symbolic link leads (a link to a link followed to its end), so that
// a write lands in the file the link leads to and the link stays a link; any other path as it
// is.
std::filesystem::path linkEnd(files::FileIo& io, const std::filesystem::path& file) {
    // A relative link leads from the folder it lies in as the system reaches that folder
    // (through the prefix's drive link, say), which only the real path tells.
    return io.linkTarget(file) ? io.realPath(file) : file;
}

}  // namespace

MappedPath mapToolPath(files::FileIo& io, const std::optional<std::filesystem::path>& prefix,
                       const std::string& path) {
    if (!path.empty() && path[0] == '\\') {
        return {{}, "it names no drive (a network or root-relative path)"};
    }
    if (!hasDrive(path)) {
        std::string host = path;
        std::replace(host.begin(), host.end(), '\\', '/');
        return {host, {}};
    }
    if (path.size() == 2 || !isSeparator(path[2])) {
        return {{}, "it is not a full path (no separator after the drive)"};
    }
    if (!prefix) return {{}, "no Wine prefix is in use, so its drives cannot be reached"};
    const char letter = static_cast<char>(path[0] | 0x20);
    const std::string link = std::string(1, letter) + ":";
    std::filesystem::path host = *prefix / "dosdevices" / link;
    if (io.kind(host) != files::FileKind::kFolder) {
        return {{},
                "drive " + std::string(1, static_cast<char>(letter - 0x20)) + ": has no folder (" +
                    host.string() + " is missing or does not lead to a folder)"};
    }
    std::vector<std::string> names;
    std::string current;
    for (std::size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || isSeparator(path[i])) {
            if (!current.empty()) names.push_back(current);
            current.clear();
        } else {
            current += path[i];
        }
    }
    bool exists = true;
    for (const auto& name : names) {
        if (name == "." || name == "..") return {{}, "it holds a \".\" or \"..\" name"};
        if (std::any_of(name.begin(), name.end(), isForbiddenInName)) {
            return {{}, "a name in it holds a character Windows does not allow in file names"};
        }
        const std::string hostName = codePageToUtf8(name);
        if (exists) {
            const std::string found = findName(io, host, hostName);
            exists = !found.empty();
            host /= exists ? found : hostName;
        } else {
            host /= hostName;
        }
    }
    if (isSeparator(path.back()) && !names.empty()) host /= "";
    return {host, {}};
}

WinePathFileSystem::WinePathFileSystem(std::string programName,
                                       std::optional<std::filesystem::path> prefix,
                                       std::filesystem::path changeLockFolder, files::FileIo& io)
    : programName_(programName),
      prefix_(std::move(prefix)),
      changeLockFolder_(std::move(changeLockFolder)),
      host_(std::move(programName), io),
      prefixIo_(io, *this) {}

std::string WinePathFileSystem::unreachable(const std::string& path, const std::string& why) const {
    const std::string where =
        prefix_ ? "in the Wine prefix " + prefix_->string() : std::string("on this machine");
    return "The Windows path " + path + " cannot be reached " + where + ": " + why +
           ". Check the game's \"Install Dir\" in that prefix's registry and the prefix's drive "
           "links in its folder dosdevices.";
}

std::string WinePathFileSystem::mapped(const std::string& path) const {
    MappedPath result = mapToolPath(host_.io(), prefix_, path);
    if (!result.error.empty()) {
        throw ToolError(error_number::kPathAccess, programName_, unreachable(path, result.error));
    }
    return result.host.string();
}

std::filesystem::path WinePathFileSystem::pathOf(const std::string& path) const {
    mapped(path);  // a path that can never be reached is refused here, as by every operation
    std::string form = path;
    std::replace(form.begin(), form.end(), '\\', '/');
    return form;
}

std::filesystem::path WinePathFileSystem::PrefixFileIo::hostPathOf(
    const std::filesystem::path& path) {
    const std::string text = path.string();
    if (!hasDrive(text)) return path;  // a path of this machine
    // A temporary sibling lies beside the file it replaces, wherever that file leads.
    const std::optional<std::filesystem::path> owner = files::siblingOwner(path);
    const std::string mappedText = owner ? owner->string() : text;
    MappedPath result = mapToolPath(target(), files_.prefix_, mappedText);
    if (!result.error.empty()) {
        const std::string why = files_.unreachable(mappedText, result.error);
        throw files::FileIoError(why, result.error);
    }
    const std::filesystem::path file = linkEnd(target(), result.host);
    return owner ? file.parent_path() / path.filename() : file;
}

template <typename Step>
auto WinePathFileSystem::naming(const std::string& path, const std::string& other,
                                Step step) const {
    const std::string host = mapped(path);
    const std::string otherHost = other.empty() ? std::string() : mapped(other);
    try {
        return step(host, otherHost);
    } catch (const ToolError& e) {
        std::string text = e.description();
        for (const auto& [tool, reached] : {std::pair{path, host}, std::pair{other, otherHost}}) {
            if (!hasDrive(tool)) continue;
            const std::size_t at = text.find(reached);
            if (at != std::string::npos)
                text.replace(at, reached.size(), tool + " (" + reached + ")");
        }
        throw ToolError(e.number(), e.source(), text);
    }
}

bool WinePathFileSystem::isRegularFile(const std::string& path) const {
    MappedPath result = mapToolPath(host_.io(), prefix_, path);
    return result.error.empty() && host_.isRegularFile(result.host.string());
}

void WinePathFileSystem::appendToFile(const std::string& path, std::string_view bytes) {
    naming(path, {},
           [&](const std::string& host, const std::string&) { host_.appendToFile(host, bytes); });
}

std::string WinePathFileSystem::readFile(const std::string& path, std::size_t maxBytes) const {
    return naming(path, {}, [&](const std::string& host, const std::string&) {
        return host_.readFile(host, maxBytes);
    });
}

void WinePathFileSystem::writeFile(const std::string& path, std::string_view bytes) {
    naming(path, {},
           [&](const std::string& host, const std::string&) { host_.writeFile(host, bytes); });
}

void WinePathFileSystem::copyFile(const std::string& from, const std::string& to) {
    naming(from, to, [&](const std::string& hostFrom, const std::string& hostTo) {
        host_.copyFile(hostFrom, hostTo);
    });
}

void WinePathFileSystem::removeFile(const std::string& path) {
    naming(path, {}, [&](const std::string& host, const std::string&) { host_.removeFile(host); });
}

}  // namespace quenor::host
