#include "host/wineserver_detection_linux.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "lib/files/file_error.h"
#include "lib/files/file_io.h"

namespace quenor::host {

namespace {

// The folder name Debian's build records in the prefix's file "wineserver": one line of
// letters, digits, "-", "_" and ".", at most 255 bytes; anything else is ignored.
std::optional<std::string> recordedFolderName(files::FileIo& io,
                                              const std::filesystem::path& prefix) {
    std::string name;
    try {
        // Through the file layer: a pipe planted there is refused, not waited on.
        auto file = io.open(prefix / "wineserver", files::OpenMode::kRead);
        std::vector<std::uint8_t> buffer(
            static_cast<std::size_t>(std::min<std::uint64_t>(file->size(), 257)));
        file->readAt(0, buffer);
        name.assign(buffer.begin(), buffer.end());
    } catch (const files::FileIoError&) {
        return std::nullopt;
    }
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
    if (name.empty() || name.size() > 255 || name == "." || name == "..") return std::nullopt;
    for (char c : name) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        if (!allowed) return std::nullopt;
    }
    return name;
}

std::string readLink(const std::filesystem::path& link) {
    std::error_code error;
    const auto target = std::filesystem::read_symlink(link, error);
    return error ? std::string() : target.string();
}

// A process whose executable is a wineserver and whose working folder is the server folder.
std::optional<std::filesystem::path> serverProcessFolder(const std::string& folderName) {
    std::error_code error;
    std::filesystem::directory_iterator processes("/proc", error);
    if (error) return std::nullopt;
    for (const auto& entry : processes) {
        const std::string pid = entry.path().filename().string();
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string exe = std::filesystem::path(readLink(entry.path() / "exe")).filename();
        if (exe.rfind("wineserver", 0) != 0) continue;
        const std::filesystem::path cwd = readLink(entry.path() / "cwd");
        if (cwd.filename() == folderName) return cwd;
    }
    return std::nullopt;
}

}  // namespace

WineserverSearch wineserverSearchFor(const Environment& environment) {
    WineserverSearch search;
    const std::string uid = std::to_string(::getuid());
    std::vector<std::filesystem::path> roots;
    if (auto runtime = environment.variable("XDG_RUNTIME_DIR"); runtime && !runtime->empty())
        roots.emplace_back(*runtime);
    roots.emplace_back("/run/user/" + uid);
    if (auto tmp = environment.variable("TMPDIR"); tmp && !tmp->empty()) roots.emplace_back(*tmp);
    roots.emplace_back("/tmp");
    for (const auto& root : roots) {
        if (root.is_relative()) continue;
        search.debianBases.push_back(root / "wine");
        search.debianBases.push_back(root);
    }
    return search;
}

std::string serverFolderName(const std::filesystem::path& prefix) {
    struct stat info {};
    if (::stat(prefix.c_str(), &info) != 0) return {};
    char name[64];
    std::snprintf(name, sizeof name, "server-%llx-%llx",
                  static_cast<unsigned long long>(info.st_dev),
                  static_cast<unsigned long long>(info.st_ino));
    return name;
}

bool isLockHeld(const std::filesystem::path& lockFile) {
    const int fd = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = 0;
    probe.l_len = 0;
    // An open-file-description probe also sees a lock this very process holds.
    int result = ::fcntl(fd, F_OFD_GETLK, &probe);
    if (result != 0 && errno == EINVAL) {
        probe = {};
        probe.l_type = F_WRLCK;
        probe.l_whence = SEEK_SET;
        result = ::fcntl(fd, F_GETLK, &probe);
    }
    ::close(fd);
    return result == 0 && probe.l_type != F_UNLCK;
}

std::optional<std::filesystem::path> findRunningWineserver(files::FileIo& io,
                                                           const std::filesystem::path& prefix,
                                                           const WineserverSearch& search) {
    const std::string folderName = serverFolderName(prefix);
    if (folderName.empty()) return std::nullopt;
    std::vector<std::filesystem::path> candidates;
    candidates.push_back(search.upstreamRoot / (".wine-" + std::to_string(::getuid())) /
                         folderName);
    if (auto recorded = recordedFolderName(io, prefix)) {
        for (const auto& base : search.debianBases)
            candidates.push_back(base / *recorded / folderName);
    }
    for (const auto& folder : candidates) {
        if (isLockHeld(folder / "lock")) return folder;
    }
    if (search.scanProcesses) return serverProcessFolder(folderName);
    return std::nullopt;
}

std::string wineRunningReason(const std::filesystem::path& prefix) {
    return "Wine is running for the prefix " + prefix.string() + ".";
}

MessageBoxRequest wineRunningRefusal(const std::filesystem::path& prefix) {
    MessageBoxRequest box;
    box.title = "Wine is running";
    box.text = wineRunningReason(prefix) +
               "\r\rWhile it runs, Wine keeps this prefix's registry in memory and writes it "
               "back when it ends, so changes made now would be lost.\r\rClose NHL 09 and every "
               "other Windows program of this prefix (or run: WINEPREFIX=\"" +
               prefix.string() + "\" wineserver -k), then start Quenor again.";
    box.buttons = MessageButtons::Ok;
    box.icon = MessageIcon::Exclamation;
    return box;
}

}  // namespace quenor::host
