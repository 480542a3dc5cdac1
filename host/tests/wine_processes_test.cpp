// Wine found running for a prefix by its processes, as Proton and the Flatpak launchers run it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <vector>

#include "core/testing/fake_platform.h"
#include "host/host_platform.h"
#include "host/wine_processes_linux.h"
#include "tool/testing/fake_installation.h"

namespace quenor::host {
namespace {

using quenor::testing::FakeInstallation;
using quenor::testing::kWindowsInstallDir;
using quenor::testing::MapEnvironment;
using quenor::testing::TempFolder;

// A child process (sleep) showing `arguments` as its command line, with `environment`, until
// destroyed.
class Child {
  public:
    Child(std::vector<std::string> arguments, std::vector<std::string> environment)
        : shown_(arguments.front()) {
        arguments.push_back("30");
        pid_ = ::fork();
        if (pid_ == 0) {
            std::vector<char*> argv;
            for (auto& a : arguments) argv.push_back(a.data());
            argv.push_back(nullptr);
            std::vector<char*> envp;
            for (auto& e : environment) envp.push_back(e.data());
            envp.push_back(nullptr);
            ::execve("/bin/sleep", argv.data(), envp.data());
            ::_exit(127);
        }
        // The process shows its new arguments once exec has run.
        for (int i = 0; i < 200 && !started(); ++i) ::usleep(10000);
    }
    ~Child() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

  private:
    // The kernel sets the program a moment before the new command line is readable: both are
    // waited for, or a busy machine finds the child between the two.
    bool started() const {
        const std::string proc = "/proc/" + std::to_string(pid_);
        std::error_code error;
        const auto program = std::filesystem::read_symlink(proc + "/exe", error);
        if (error || program.filename() != "sleep") return false;
        std::ifstream cmdline(proc + "/cmdline", std::ios::binary);
        std::string first;
        std::getline(cmdline, first, '\0');
        return first == shown_;
    }
    std::string shown_;
    pid_t pid_ = -1;
};

TEST(WineProcesses, AProcessWithThePrefixOrInTheGamesFolderCounts) {
    // A game folder of its own: the stand-in game process below counts for every prefix with
    // this "Install Dir", so tests running beside this one must not share it.
    const std::string installDir = "C:\\Games\\NHL 09 process test\\";
    FakeInstallation prefix({.win64 = true, .installDir = installDir});
    FakeInstallation other({.win64 = true, .installDir = installDir});
    PrefixProcessSearch search{prefix.prefix(), prefix.gameFolder(), installDir};
    EXPECT_FALSE(findProcessOfPrefix(search));
    for (const char* wine : {"wineserver", "/opt/proton/files/bin/wine64-preloader"}) {
        Child server({wine}, {"WINEPREFIX=" + prefix.prefix().string() + "/"});
        const auto found = findProcessOfPrefix(search);
        ASSERT_TRUE(found) << wine;
        EXPECT_NE(found->find(wine), std::string::npos) << *found;
    }
    {
        Child elsewhere({"wineserver"}, {"WINEPREFIX=" + other.prefix().string()});
        EXPECT_FALSE(findProcessOfPrefix(search));
    }
    {
        // A script's other programs ("quenorctl status | tail") are not Wine.
        Child pipe({"tail"}, {"WINEPREFIX=" + prefix.prefix().string()});
        EXPECT_FALSE(findProcessOfPrefix(search));
    }
    {
        Child game({(prefix.gameFolder() / "nhl09.exe").string()}, {});
        EXPECT_TRUE(findProcessOfPrefix(search));
    }
    {
        Child proton({"C:\\GAMES\\NHL 09 PROCESS TEST\\nhl09.exe"}, {});
        EXPECT_TRUE(findProcessOfPrefix(search));
    }
    {
        // A folder whose name only begins with the game's is another game's.
        Child sibling({"C:\\Games\\NHL 09 process test 2\\nhl09.exe"}, {});
        EXPECT_FALSE(findProcessOfPrefix(search));
    }
    EXPECT_FALSE(findProcessOfPrefix(search));
}

TEST(WineProcesses, TheToolRefusesToStartWhileOneRuns) {
    FakeInstallation prefix({.win64 = true, .installDir = kWindowsInstallDir});
    TempFolder home;
    MapEnvironment environment(
        {{"HOME", home.str()}, {"WINEPREFIX", prefix.prefix().string()}, {"TMPDIR", home.str()}});
    Child wine({"wineserver"}, {"WINEPREFIX=" + prefix.prefix().string()});
    auto platform = HostPlatform::open(home.path() / "quenor", environment, files::systemFileIo());
    ASSERT_TRUE(platform->refusal());
    EXPECT_EQ(platform->refusal()->title, "Wine is running");
}

}  // namespace
}  // namespace quenor::host
