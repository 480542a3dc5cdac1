#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace quenor::host::testing {

// A child process that holds a write lock on a file (creating it) until destroyed, the way
// a running wineserver holds its lock file.
class LockHolder {
  public:
    explicit LockHolder(const std::filesystem::path& lockFile) {
        std::filesystem::create_directories(lockFile.parent_path());
        int ready[2];
        if (::pipe(ready) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT, 0600);
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            const char status = fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0 ? 'y' : 'n';
            (void)!::write(ready[1], &status, 1);
            ::pause();
            ::_exit(0);
        }
        ::close(ready[1]);
        char status = 'n';
        if (pid_ > 0 && ::read(ready[0], &status, 1) == 1) locked_ = status == 'y';
        ::close(ready[0]);
    }
    ~LockHolder() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;
    bool locked() const { return locked_; }

  private:
    pid_t pid_ = -1;
    bool locked_ = false;
};

}  // namespace quenor::host::testing
