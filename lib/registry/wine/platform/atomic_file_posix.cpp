#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "lib/registry/wine/platform/atomic_file.h"

namespace quenor::reg::wine {

namespace {

std::string failure(const std::string& what, const std::filesystem::path& file, int code) {
    return what + " \"" + file.string() + "\": " + std::strerror(code);
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace

bool replaceFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                           std::string& error) {
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        error = failure("cannot create a temporary file in", folder, errno);
        return false;
    }
    const std::filesystem::path temp = pattern;
    auto abandon = [&](const std::string& message) {
        ::close(fd);
        ::unlink(temp.c_str());
        error = message;
        return false;
    };

    struct stat existing {};
    const mode_t mode = ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777)
                                                               : (0666 & ~currentUmask());
    if (::fchmod(fd, mode) != 0)
        return abandon(failure("cannot set the permissions of", temp, errno));
    if (!writeAll(fd, bytes)) return abandon(failure("cannot write", temp, errno));
    if (::fsync(fd) != 0) return abandon(failure("cannot flush", temp, errno));
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(temp.c_str());
        error = failure("cannot close", temp, code);
        return false;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int code = errno;
        ::unlink(temp.c_str());
        error = failure("cannot replace", target, code);
        return false;
    }
    // Make the rename itself durable.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace quenor::reg::wine
