#include "host/finding/game_in_prefix.h"

#include <sys/stat.h>

#include "core/game_installation.h"
#include "host/wine_path_file_system_posix.h"
#include "lib/base/ascii.h"
#include "lib/base/byte_reader.h"
#include "lib/files/file_io.h"
#include "lib/registry/key_tree.h"
#include "lib/registry/registry_store.h"
#include "lib/registry/wine/wine_hive.h"
#include "lib/registry/wine/wine_reg_file.h"
#include "lib/registry/wine/wine_text.h"

namespace quenor::host {

namespace {

// The game's key in the two views, lower case, as system.reg names keys (below HKLM).
std::string gameKey(bool wow64) {
    std::string key = base::asciiLowered(game::kKeyPath);
    if (wow64) key.insert(std::string("software\\").size(), "wow6432node\\");
    return key;
}

// The key path a "[...]" line names, lower case; empty when the line is no key line.
std::string keyOfLine(std::string_view line) {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.empty() || line.front() != '[') return {};
    std::u16string path;
    if (reg::wine::parseEscaped(line.substr(1), ']', path) == std::string_view::npos) return {};
    return base::asciiLowered(reg::wine::toCodePage(path));
}

std::int64_t modificationTime(const std::filesystem::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) return 0;
    return info.st_mtim.tv_sec * 1'000'000'000 + info.st_mtim.tv_nsec;
}

}  // namespace

std::optional<std::string> installDirInSystemReg(files::FileIo& io,
                                                 const std::filesystem::path& systemReg) {
    std::vector<std::uint8_t> bytes;
    try {
        bytes = files::readWholeFile(io, systemReg, reg::wine::kMaxRegistryFileSize);
    } catch (const files::FileIoError& error) {
        throw reg::wine::WineRegistryError(systemReg.string(), 0,
                                           "cannot read it: " + error.reason());
    }
    base::ByteReader in(bytes);
    const auto first = in.upTo('\n');
    std::string_view header =
        first ? std::string_view(reinterpret_cast<const char*>(first->data()), first->size())
              : in.restText();
    if (!header.empty() && header.back() == '\r') header.remove_suffix(1);
    if (header != reg::wine::kWineHeader) {
        throw reg::wine::WineRegistryError(systemReg.string(), 1, "it is not a Wine registry file");
    }

    // The sections of the game's key in either view, copied into a small file of their own.
    const std::string wanted[] = {gameKey(true), gameKey(false)};
    std::string sections[2];
    int inSection = -1;
    while (!in.atEnd()) {
        const std::string_view rest = in.restText();
        if (!in.upTo('\n')) in.skip(in.remaining());
        const std::string_view line = rest.substr(0, rest.size() - in.remaining());
        const std::string key = keyOfLine(line);
        if (!key.empty()) inSection = key == wanted[0] ? 0 : key == wanted[1] ? 1 : -1;
        if (inSection >= 0) {
            sections[inSection] += line;
            if (line.back() != '\n') sections[inSection] += '\n';
        }
    }
    for (int view = 0; view < 2; ++view) {
        if (sections[view].empty()) continue;
        const std::string text = std::string(reg::wine::kWineHeader) + "\n" + sections[view];
        reg::wine::WineHive hive(text, systemReg.string());
        reg::RegKey tree("");
        hive.loadOnDemandInto(tree);
        std::vector<std::string> path;
        std::string name;
        for (char c : std::string(game::kKeyPath) + "\\") {
            if (c != '\\') {
                name += c;
            } else {
                path.push_back(name);
                name.clear();
            }
        }
        if (view == 0) path.insert(path.begin() + 1, "Wow6432Node");
        const reg::RegKey* key = tree.find(path);
        const reg::RegValue* value = key ? key->findValue(game::kInstallDirValue) : nullptr;
        if (value && reg::isStringType(value->type)) {
            std::string dir(value->data.begin(), value->data.end());
            while (!dir.empty() && dir.back() == '\0') dir.pop_back();
            if (!dir.empty()) return dir;
        }
    }
    return std::nullopt;
}

std::optional<Installation> gameInPrefix(files::FileIo& io, const std::filesystem::path& prefix,
                                         const std::string& launcher, std::string& whyNot) {
    if (io.kind(prefix / "system.reg") != files::FileKind::kRegularFile) {
        whyNot = "no system.reg: not a Wine prefix";
        return std::nullopt;
    }
    std::optional<std::string> installDir;
    try {
        installDir = installDirInSystemReg(io, prefix / "system.reg");
    } catch (const reg::wine::WineRegistryError& e) {
        whyNot = std::string("its registry cannot be read: ") + e.what();
        return std::nullopt;
    }
    return installationAt(io, prefix, launcher, installDir.value_or(""), whyNot);
}

std::optional<Installation> installationAt(files::FileIo& io, const std::filesystem::path& prefix,
                                           const std::string& launcher,
                                           const std::string& installDir, std::string& whyNot) {
    if (installDir.empty()) {
        whyNot = "NHL 09 is not installed in it (no \"Install Dir\" in its registry)";
        return std::nullopt;
    }
    const MappedPath archive = mapToolPath(io, prefix, installDir + game::kArchiveBelowGameFolder);
    if (!archive.error.empty()) {
        whyNot = "its \"Install Dir\" " + installDir + " leads nowhere: " + archive.error;
        return std::nullopt;
    }
    if (io.kind(archive.host) != files::FileKind::kRegularFile) {
        whyNot = "its \"Install Dir\" " + installDir + " holds no " +
                 game::kArchiveBelowGameFolder + " (looked for " + archive.host.string() + ")";
        return std::nullopt;
    }
    return Installation{launcher, prefix, installDir, archive.host,
                        modificationTime(prefix / "user.reg")};
}

}  // namespace quenor::host
