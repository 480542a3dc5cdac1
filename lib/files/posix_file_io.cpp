// The FileIo implementation over POSIX calls.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "lib/files/file_error.h"
#include "lib/files/file_io.h"

namespace quenor::files {
namespace {

[[noreturn]] void throwErrno(const std::string& action, const std::filesystem::path& path,
                             int error) {
    throw FileIoError(action + " " + path.string() + " failed: " + std::strerror(error) + ".",
                      std::strerror(error));
}

class PosixFileHandle final : public FileHandle {
  public:
    PosixFileHandle(int fd, std::filesystem::path path, bool append)
        : fd_(fd), path_(std::move(path)), append_(append) {}
    ~PosixFileHandle() override { ::close(fd_); }
    PosixFileHandle(const PosixFileHandle&) = delete;
    PosixFileHandle& operator=(const PosixFileHandle&) = delete;

    std::uint64_t size() override {
        struct stat info {};
        if (::fstat(fd_, &info) != 0) throwErrno("Reading the size of", path_, errno);
        return static_cast<std::uint64_t>(info.st_size);
    }

    void readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        std::size_t done = 0;
        while (done < out.size()) {
            ssize_t got = ::pread(fd_, out.data() + done, out.size() - done,
                                  static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) throwErrno("Reading", path_, errno);
            if (got == 0) {
                throw FileIoError("Reading " + path_.string() + " failed: the file ended at byte " +
                                      std::to_string(offset + done) + ", before byte " +
                                      std::to_string(offset + out.size()) + ".",
                                  "the file ended early");
            }
            done += static_cast<std::size_t>(got);
        }
    }

    void writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
        std::size_t done = 0;
        while (done < data.size()) {
            // A file opened for appending takes plain writes, which O_APPEND puts at its end
            // even when another process appended meanwhile.
            ssize_t put = append_ ? ::write(fd_, data.data() + done, data.size() - done)
                                  : ::pwrite(fd_, data.data() + done, data.size() - done,
                                             static_cast<off_t>(offset + done));
            if (put < 0 && errno == EINTR) continue;
            if (put < 0) throwErrno("Writing", path_, errno);
            if (put == 0) throwErrno("Writing", path_, ENOSPC);
            done += static_cast<std::size_t>(put);
        }
    }

    void truncate(std::uint64_t size) override {
        if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) throwErrno("Resizing", path_, errno);
    }

    void sync() override {
        if (::fsync(fd_) != 0) throwErrno("Flushing", path_, errno);
    }

    int fd() const { return fd_; }

  private:
    int fd_;
    std::filesystem::path path_;
    bool append_;
};

// The process's umask, read without changing it where Linux tells it (/proc/self/status).
mode_t processUmask() {
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[128];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status)) {
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        }
        std::fclose(status);
        if (found) return mask;
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

class PosixFileLock final : public FileLock {
  public:
    explicit PosixFileLock(int fd) : fd_(fd) {}
    ~PosixFileLock() override { ::close(fd_); }  // closing the last descriptor unlocks
    PosixFileLock(const PosixFileLock&) = delete;
    PosixFileLock& operator=(const PosixFileLock&) = delete;

  private:
    int fd_;
};

// Opens a lock file as FileIo::tryLock says: never through a final symbolic link, without
// blocking on a pipe, not inherited by programs started later.
int openLockFile(const std::filesystem::path& path) {
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | kFlags, 0666);
    } while (fd < 0 && errno == EINTR);
    // Another user's lock file (or one in a sticky folder, or on a read-only disk, where the
    // change will say what it cannot write) may be open to reading only.
    if (fd < 0 && (errno == EACCES || errno == EROFS)) {
        const int refused = errno;
        fd = ::open(path.c_str(), O_RDONLY | kFlags);
        // Not there to be opened for reading either: the first refusal is the cause.
        if (fd < 0 && errno == ENOENT) errno = refused;
    }
    if (fd < 0 && errno == ELOOP) {
        throw FileIoError("Opening the lock file " + path.string() +
                              " failed: it is a symbolic link, which a lock file never is. Remove "
                              "it, then try again.",
                          "it is a symbolic link");
    }
    if (fd < 0 && errno == EISDIR) {
        throw FileIoError("Opening the lock file " + path.string() +
                              " failed: it is a folder, which a lock file never is. Remove it, "
                              "then try again.",
                          "it is a folder");
    }
    if (fd < 0) throwErrno("Opening the lock file", path, errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw FileIoError("Opening the lock file " + path.string() +
                              " failed: it is not a regular file. Remove it, then try again.",
                          "it is not a regular file");
    }
    return fd;
}

class PosixFileIo final : public FileIo {
  public:
    std::unique_ptr<FileHandle> open(const std::filesystem::path& path, OpenMode mode,
                                     std::uint32_t permissions) override {
        // Never blocking: a pipe or device where a file should be is refused below instead
        // of waiting for a writer that never comes.
        int flags = O_CLOEXEC | O_NONBLOCK;
        switch (mode) {
            case OpenMode::kRead:
                flags |= O_RDONLY;
                break;
            case OpenMode::kReadWrite:
                flags |= O_RDWR;
                break;
            case OpenMode::kCreate:
                flags |= O_RDWR | O_CREAT | O_TRUNC;
                break;
            case OpenMode::kAppend:
                flags |= O_WRONLY | O_CREAT | O_APPEND;
                break;
        }
        int fd;
        do {
            fd = ::open(path.c_str(), flags, permissions);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) throwErrno("Opening", path, errno);
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(fd);
            throw FileIoError("Opening " + path.string() + " failed: it is not a regular file.",
                              "it is not a regular file");
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        // An emptied file gets the permissions asked for, as a new one does: never more than
        // the user's umask allows.
        if (mode == OpenMode::kCreate) {
            ::fchmod(fd, permissions & ~processUmask());
        }
        return std::make_unique<PosixFileHandle>(fd, path, mode == OpenMode::kAppend);
    }

    FileKind kind(const std::filesystem::path& path) override {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) return FileKind::kMissing;
        if (S_ISREG(info.st_mode)) return FileKind::kRegularFile;
        if (S_ISDIR(info.st_mode)) return FileKind::kFolder;
        return FileKind::kOther;
    }

    std::uint32_t permissions(const std::filesystem::path& path) override {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) throwErrno("Reading the permissions of", path, errno);
        return info.st_mode & 07777;
    }

    void renameFile(const std::filesystem::path& from, const std::filesystem::path& to) override {
        if (::rename(from.c_str(), to.c_str()) != 0) {
            throwErrno("Renaming " + from.string() + " to", to, errno);
        }
    }

    void syncFolder(const std::filesystem::path& folder) override {
        int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) throwErrno("Opening the folder", folder, errno);
        int result = ::fsync(fd);
        int error = errno;
        ::close(fd);
        // Some file systems cannot sync a folder; their renames are as durable as they get.
        if (result != 0 && error != EINVAL) throwErrno("Flushing the folder", folder, error);
    }

    // flock() rather than fcntl() locks: they belong to the open file, so closing another
    // descriptor of the same file elsewhere in the process cannot drop them, and Linux
    // carries them over NFS as whole-file locks.
    std::unique_ptr<FileLock> tryLock(const std::filesystem::path& path) override {
        const int fd = openLockFile(path);
        int result;
        do {
            result = ::flock(fd, LOCK_EX | LOCK_NB);
        } while (result != 0 && errno == EINTR);
        if (result == 0) return std::make_unique<PosixFileLock>(fd);
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return nullptr;
        throwErrno("Locking", path, error);
    }

    void createFolders(const std::filesystem::path& folder) override {
        createFoldersOnDisk(folder);
    }
    void removeEmptyFolder(const std::filesystem::path& folder) override {
        removeEmptyFolderOnDisk(folder);
    }

    std::vector<std::string> namesIn(const std::filesystem::path& folder) override {
        std::vector<std::string> names;
        DIR* listing = ::opendir(folder.c_str());
        if (listing == nullptr) return names;
        while (const dirent* entry = ::readdir(listing)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        ::closedir(listing);
        return names;
    }

    void remove(const std::filesystem::path& path) override {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) throwErrno("Removing", path, errno);
    }

    std::optional<std::filesystem::path> linkTarget(const std::filesystem::path& path) override {
        std::vector<char> buffer(256);
        for (;;) {
            const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
            if (length < 0) return std::nullopt;  // not a link, or nothing there
            if (static_cast<std::size_t>(length) < buffer.size())
                return std::filesystem::path(
                    std::string(buffer.data(), static_cast<std::size_t>(length)));
            buffer.resize(buffer.size() * 2);
        }
    }

    void copyContent(const std::filesystem::path& from, const std::filesystem::path& to,
                     CopyEnd end) override {
#ifdef __linux__
        if (copySharingBlocks(from, to, end)) return;
#endif
        copyInPieces(*this, from, to, end);
    }

  private:
#ifdef __linux__
    // A reflink (FICLONE: Btrfs, XFS, bcachefs...) shares every block of the source; where the
    // file system has none, copy_file_range still copies inside the kernel and may share
    // blocks (NFS, CIFS, overlay). False when neither can copy these files, before anything
    // was written: the caller then copies in pieces.
    bool copySharingBlocks(const std::filesystem::path& from, const std::filesystem::path& to,
                           CopyEnd end) {
        auto source = open(from, OpenMode::kRead, 0);
        auto& sourceHandle = static_cast<PosixFileHandle&>(*source);
        auto target = open(to, OpenMode::kCreate, permissions(from));
        auto& targetHandle = static_cast<PosixFileHandle&>(*target);
        if (::ioctl(targetHandle.fd(), FICLONE, sourceHandle.fd()) == 0) {
            if (end == CopyEnd::kSynced) target->sync();
            return true;
        }
        const std::uint64_t size = source->size();
        std::uint64_t done = 0;
        while (done < size) {
            ssize_t copied = ::copy_file_range(sourceHandle.fd(), nullptr, targetHandle.fd(),
                                               nullptr, size - done, 0);
            if (copied < 0 && errno == EINTR) continue;
            if (copied < 0 && done == 0 &&
                (errno == ENOSYS || errno == EXDEV || errno == EOPNOTSUPP || errno == EINVAL ||
                 errno == EBADF || errno == EPERM)) {
                return false;
            }
            if (copied < 0) throwErrno("Copying " + from.string() + " to", to, errno);
            if (copied == 0) {
                throw FileIoError("Copying " + from.string() + " to " + to.string() +
                                      " failed: the source ended at byte " + std::to_string(done) +
                                      ".",
                                  "the file ended early");
            }
            done += static_cast<std::uint64_t>(copied);
        }
        if (end == CopyEnd::kSynced) target->sync();
        return true;
    }
#endif
};

}  // namespace

FileIo& systemFileIo() {
    static PosixFileIo io;
    return io;
}

std::uint64_t currentProcessId() {
    return static_cast<std::uint64_t>(::getpid());
}

}  // namespace quenor::files
