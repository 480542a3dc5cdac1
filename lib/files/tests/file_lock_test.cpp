// The real file system's locks: what may lie at a lock file's path, who holds a lock, and that
// neither a killed holder nor a program started by the holder keeps one.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "lib/files/file_error.h"
#include "lib/files/file_io.h"

extern char** environ;

namespace quenor::files {
namespace {

namespace fs = std::filesystem;

class FileLockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder =
            fs::temp_directory_path() / ("quenor-lock-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string content(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path folder;
    fs::path lockFile() const { return folder / "lock"; }
    FileIo& io = systemFileIo();
};

TEST_F(FileLockTest, ALockFileIsARegularFileNeverWrittenAndNeverALink) {
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> make;
        bool locks;
    };
    const Case cases[] = {
        {"nothing: made empty", [](const fs::path&) {}, true},
        {"a file with content: kept as it is",
         [](const fs::path& p) { std::ofstream(p) << "someone's bytes"; }, true},
        {"a link to a file",
         [&](const fs::path& p) {
             std::ofstream(folder / "target") << "x";
             fs::create_symlink(folder / "target", p);
         },
         false},
        {"a dangling link, which opening would create a file through",
         [&](const fs::path& p) { fs::create_symlink(folder / "elsewhere", p); }, false},
        {"a folder", [](const fs::path& p) { fs::create_directory(p); }, false},
        {"a pipe, which must not hang the opening",
         [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(lockFile());
        fs::remove_all(folder / "target");
        c.make(lockFile());
        const bool wasFile = fs::is_regular_file(fs::symlink_status(lockFile()));
        const std::string before = wasFile ? content(lockFile()) : "";
        if (!c.locks) {
            try {
                io.tryLock(lockFile());
                ADD_FAILURE() << "locked";
            } catch (const FileIoError& error) {
                // Every refusal tells the player what to do.
                EXPECT_NE(std::string(error.what()).find("Remove it, then try again."),
                          std::string::npos)
                    << error.what();
            }
            EXPECT_FALSE(fs::exists(folder / "elsewhere"));
            continue;
        }
        EXPECT_NE(io.tryLock(lockFile()), nullptr);
        EXPECT_EQ(content(lockFile()), before);
    }
}

TEST_F(FileLockTest, OneHolderAtATimeInOneProcessToo) {
    auto first = io.tryLock(lockFile());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(io.tryLock(lockFile()), nullptr);
    first.reset();
    EXPECT_NE(io.tryLock(lockFile()), nullptr);
}

TEST_F(FileLockTest, AKilledHolderHoldsNothing) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        auto lock = systemFileIo().tryLock(lockFile());
        const char held = lock ? 'y' : 'n';
        if (::write(ready[1], &held, 1) != 1) ::_exit(2);
        ::pause();
        ::_exit(0);
    }
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    ASSERT_EQ(held, 'y');
    EXPECT_EQ(io.tryLock(lockFile()), nullptr);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_NE(io.tryLock(lockFile()), nullptr);
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST_F(FileLockTest, AProgramStartedWhileHoldingItInheritsNothing) {
    auto lock = io.tryLock(lockFile());
    ASSERT_NE(lock, nullptr);
    pid_t child = 0;
    char sleep[] = "sleep";
    char seconds[] = "30";
    char* arguments[] = {sleep, seconds, nullptr};
    ASSERT_EQ(::posix_spawnp(&child, "sleep", nullptr, nullptr, arguments, environ), 0);
    lock.reset();
    EXPECT_NE(io.tryLock(lockFile()), nullptr) << "the started program kept the lock";
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

}  // namespace
}  // namespace quenor::files
