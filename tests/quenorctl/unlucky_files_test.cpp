// What an unlucky player's machine may hold where a file should be: a pipe, a socket, a
// device or a folder in place of the archive, a registry file, a launcher's config or the kept
// originals. Every command answers at once with an error naming the file; none waits.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <thread>

#include "app/quenorctl/quenorctl.h"
#include "tests/quenorctl/machine.h"

namespace quenor::testing {
namespace {

namespace fs = std::filesystem;

// Puts something other than a regular file at the path.
using Planting = std::function<void(const fs::path&)>;
const std::pair<const char*, Planting> kPlantings[] = {
    {"a pipe", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }},
    {"a socket",
     [](const fs::path& p) {
         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         ASSERT_LT(p.string().size(), sizeof address.sun_path);
         std::strcpy(address.sun_path, p.c_str());
         ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
         ::close(fd);
     }},
    {"a device", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }},
    {"a folder", [](const fs::path& p) { fs::create_directories(p); }},
};

// quenorctl in a child process that must end within three seconds; its exit status, or -1
// when it had to be killed.
int quenorctlWithin(Machine& machine, const std::vector<std::string>& arguments) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(machine.quenorctl(arguments));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(UnluckyFiles, NothingWaitsOnWhatIsNotARegularFile) {
    struct Place {
        const char* what;
        std::function<fs::path(Machine&)> path;
        std::vector<std::vector<std::string>> commands;
    };
    const Place places[] = {
        {"the archive",
         [](Machine& m) { return m.installation().archive(); },
         {{"status"}, {"apply", "--yes"}, {"reset", "--yes"}}},
        {"system.reg",
         [](Machine& m) { return m.installation().prefix() / "system.reg"; },
         {{"status"}, {"apply", "--yes"}, {"list", "--prefix", "@prefix"}}},
        {"a Lutris game config",
         [](Machine& m) {
             fs::create_directories(m.home() / ".config/lutris/games");
             return m.home() / ".config/lutris/games/nhl.yml";
         },
         {{"list"}}},
        {"the kept copy of the archive",
         [](Machine& m) {
             m.quenorctl({"apply", "--resolution", "1280x800", "--yes"});
             for (const auto& entry :
                  fs::recursive_directory_iterator(m.installation().prefix() / ".quenor")) {
                 if (entry.path().filename() == "fmisc.viv") return entry.path();
             }
             return fs::path();
         },
         {{"restore"}, {"restore", "--force"}}},
    };
    for (const Place& place : places) {
        for (const auto& [kind, plant] : kPlantings) {
            SCOPED_TRACE(std::string(kind) + " as " + place.what);
            Machine machine;
            const fs::path path = place.path(machine);
            ASSERT_FALSE(path.empty());
            fs::remove(path);
            plant(path);
            for (std::vector<std::string> command : place.commands) {
                for (std::string& word : command)
                    if (word == "@prefix") word = machine.installation().prefix().string();
                SCOPED_TRACE(command.front());
                const int status = quenorctlWithin(machine, command);
                EXPECT_NE(status, -1) << "it waited";
                if (command.front() != "list") {
                    EXPECT_EQ(status, ctl::kFailed);
                }
            }
        }
    }
}

}  // namespace
}  // namespace quenor::testing

namespace quenor::testing {
namespace {

// A small disk of its own (a tmpfs), unmounted at the end; not mounted where the machine does
// not allow it.
class SmallDisk {
  public:
    SmallDisk() {
        mounted_ =
            std::system(
                ("mount -t tmpfs -o size=1m tmpfs '" + folder_.str() + "' 2>/dev/null").c_str()) ==
            0;
    }
    ~SmallDisk() {
        if (mounted_ && std::system(("umount '" + folder_.str() + "'").c_str()) != 0) {
            ADD_FAILURE() << "the test's tmpfs stays mounted at " << folder_.str();
        }
    }
    bool mounted() const { return mounted_; }
    const fs::path& path() const { return folder_.path(); }
    void fill() {
        std::ofstream filler(folder_.path() / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), block.size())) {
        }
    }
    void makeReadOnly() {
        ASSERT_EQ(std::system(("mount -o remount,ro '" + folder_.str() + "'").c_str()), 0);
    }

  private:
    TempFolder folder_;
    bool mounted_ = false;
};

TEST(UnluckyFiles, AFullOrReadOnlyDiskIsNamedInTheMessageAndTheLog) {
    struct Case {
        const char* what;
        bool startedBefore;  // the settings and the originals are written already
        bool full;           // else read-only
        const char* cause;
    };
    const Case cases[] = {
        {"full at the first start's settings", false, true, "No space left on device"},
        {"full at a later change", true, true, "No space left on device"},
        {"read-only", true, false, "Read-only file system"},
    };
    for (const auto& [what, startedBefore, full, cause] : cases) {
        SCOPED_TRACE(what);
        Machine machine;
        if (startedBefore) {
            ASSERT_EQ(machine.quenorctl({"apply", "--resolution", "nochange", "--yes"}),
                      ctl::kDone);
        }
        SmallDisk disk;
        if (!disk.mounted()) GTEST_SKIP() << "this machine does not let a test mount a tmpfs";
        const fs::path prefix = disk.path() / "prefix";
        fs::copy(machine.installation().prefix(), prefix,
                 fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        const std::string archive =
            readFileOrMissing(prefix / "drive_c/Games/NHL 09/preload/fmisc.viv");
        if (full) {
            disk.fill();
        } else {
            disk.makeReadOnly();
        }

        std::string err;
        EXPECT_EQ(machine.quenorctl(
                      {"--prefix", prefix.string(), "apply", "--resolution", "1280x800", "--yes"},
                      nullptr, &err),
                  ctl::kFailed);
        EXPECT_NE(err.find(cause), std::string::npos) << err;
        // The originals were kept by the earlier change; the note of this one is what failed.
        if (!full) {
            EXPECT_NE(err.find("the originals are kept, but"), std::string::npos) << err;
        }
        std::string log;
        for (const std::string& line : machine.log()) log += line + "\n";
        EXPECT_NE(log.find(cause), std::string::npos) << log;
        EXPECT_EQ(readFileOrMissing(prefix / "drive_c/Games/NHL 09/preload/fmisc.viv"), archive);
    }
}

}  // namespace
}  // namespace quenor::testing
