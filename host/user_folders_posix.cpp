#include "host/user_folders_posix.h"

#include <pwd.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "lib/digest/sha256.h"

namespace quenor::host {

namespace {

std::filesystem::path passwordHome() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return std::filesystem::current_path();
}

}  // namespace

std::filesystem::path homeFolder(const Environment& environment) {
    const std::string home = environment.variable("HOME").value_or("");
    if (!home.empty() && home[0] == '/') return home;
    return passwordHome();
}

std::filesystem::path xdgFolder(const Environment& environment, std::string_view variable,
                                std::string_view fallbackBelowHome) {
    const std::string value = environment.variable(variable).value_or("");
    if (!value.empty() && value[0] == '/') return value;
    return homeFolder(environment) / std::filesystem::path(fallbackBelowHome);
}

std::filesystem::path configFolder(const Environment& environment) {
    return xdgFolder(environment, "XDG_CONFIG_HOME", ".config") / "quenor";
}

std::filesystem::path stateFolder(const Environment& environment) {
    return xdgFolder(environment, "XDG_STATE_HOME", ".local/state") / "quenor";
}

std::filesystem::path originalsFolder(const Environment& environment,
                                      const std::optional<std::filesystem::path>& prefix) {
    if (!prefix) return stateFolder(environment) / "originals" / "tool-registry";
    return *prefix / ".quenor" / "originals";
}

namespace {

// The folder an earlier version named after the path a prefix was reached through.
std::filesystem::path earlierFolderOf(const Environment& environment,
                                      const std::filesystem::path& prefix) {
    const std::string whole = std::filesystem::absolute(prefix).lexically_normal().string();
    std::string name = std::filesystem::path(whole).filename().string();
    if (name.empty()) name = "prefix";
    for (char& c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        if (!plain) c = '_';
    }
    digest::Sha256 sha;
    sha.update({reinterpret_cast<const std::uint8_t*>(whole.data()), whole.size()});
    return stateFolder(environment) / "originals" /
           (name + "-" + digest::hex(sha.finish()).substr(0, 12));
}

}  // namespace

std::vector<std::filesystem::path> earlierOriginalsFolders(const Environment& environment,
                                                           const std::filesystem::path& real,
                                                           const std::filesystem::path& reached) {
    std::vector<std::filesystem::path> folders{earlierFolderOf(environment, real)};
    const std::filesystem::path other = earlierFolderOf(environment, reached);
    if (other != folders.front()) folders.push_back(other);
    return folders;
}

bool isInstalledFolder(const std::filesystem::path& executableFolder) {
    const std::string text = executableFolder.lexically_normal().string();
    if (text == "/usr" || text.rfind("/usr/", 0) == 0) return true;
    std::error_code error;
    if (std::filesystem::is_regular_file(executableFolder / kInstalledMarker, error)) return true;
    return ::access(executableFolder.c_str(), W_OK | X_OK) != 0;
}

std::filesystem::path chooseToolFolder(const std::filesystem::path& executableFolder,
                                       const Environment& environment, bool installed) {
    return installed ? stateFolder(environment) : executableFolder;
}

}  // namespace quenor::host
