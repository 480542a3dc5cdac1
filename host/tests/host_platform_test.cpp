// The whole tool on a Linux host: opened on a fake Wine prefix, started, applied; and
// refused, writing nothing, while the prefix's wineserver runs.
#include <gtest/gtest.h>

#include <map>

#include "core/testing/fake_platform.h"
#include "core/testing/scripted_message_boxes.h"
#include "core/tool_error.h"
#include "host/host_platform.h"
#include "host/tests/lock_holder.h"
#include "host/wineserver_detection_linux.h"
#include "tool/testing/fake_installation.h"
#include "window/quenor_layout.h"
#include "window/quenor_window.h"

namespace quenor::host {
namespace {

using quenor::testing::FakeInstallation;
using quenor::testing::kWindowsInstallDir;
using quenor::testing::MapEnvironment;
using quenor::testing::readFileOrMissing;
using quenor::testing::ScriptedMessageBoxes;
using quenor::testing::TempFolder;
using testing::LockHolder;
namespace cn = ui::control_names;

// Every file below a folder with its content.
std::map<std::string, std::string> snapshot(const std::filesystem::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.is_symlink()) {
            files[entry.path().string()] = "-> " + std::filesystem::read_symlink(entry).string();
        } else if (entry.is_regular_file()) {
            files[entry.path().string()] = readFileOrMissing(entry.path());
        } else {
            files[entry.path().string()] = "<folder>";
        }
    }
    return files;
}

// A user's machine: a home folder, the prefix and a portable copy of the tool.
struct Machine {
    explicit Machine(bool win64, std::string installDir = kWindowsInstallDir)
        : prefix({.win64 = win64, .installDir = std::move(installDir)}) {
        std::filesystem::create_directories(home.path() / "bin");
        env.set("HOME", home.str());
        env.set("WINEPREFIX", prefix.prefix().string());
        env.set("TMPDIR", runtime.str());
    }
    std::filesystem::path executable() const { return home.path() / "bin" / "quenor"; }
    std::string log() const { return readFileOrMissing(home.path() / "bin" / "quenor.log"); }

    FakeInstallation prefix;
    TempFolder home;
    TempFolder runtime;
    MapEnvironment env;
};

TEST(HostPlatform, AppliesToTheGameInAFakePrefix) {
    struct Case {
        bool win64;
        const char* installDir;  // as the registry holds it; the folder is drive_c/Games/NHL 09
    };
    const Case cases[] = {{true, "C:\\Games\\NHL 09\\"}, {false, "c:\\GAMES\\nhl 09\\"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.win64 ? "win64" : "win32");
        Machine machine(c.win64, c.installDir);
        const std::string systemBefore = machine.prefix.systemReg();
        auto platform =
            HostPlatform::open(machine.executable(), machine.env, files::systemFileIo());
        ASSERT_FALSE(platform->refusal());
        EXPECT_EQ(platform->registryDescription(),
                  "Wine prefix " + machine.prefix.prefix().string());
        ScriptedMessageBoxes boxes;
        Tool tool(platform->services(boxes));
        EXPECT_EQ(tool.services.toolFolder, (machine.home.path() / "bin").string());
        ui::Quenor window(tool);
        ASSERT_TRUE(window.Form_Load());
        EXPECT_EQ(tool.settings.strFMISCpath, std::string(c.installDir) + "preload\\fmisc.viv");

        window.form().userClickOption(cn::kOptResolution, 1);  // 1600x1000
        window.form().userClickOption(cn::kOptVsync, 1);       // OFF
        boxes.expect(MessageAnswer::Yes);
        boxes.expect(MessageAnswer::Ok);
        window.form().userClick(cn::kBtnApplySettings);
        ASSERT_EQ(boxes.shown().size(), 2u);
        EXPECT_EQ(boxes.shown().back().title, "All done!") << boxes.shown().back().text;
        window.Form_Unload();

        EXPECT_EQ(
            machine.prefix.entry("sgsm4.cfg"),
            quenor::testing::demoConfigWith(
                4, {{"devicewidth", "1600"}, {"deviceheight", "1000"}, {"enablevsync", "false"}}));
        EXPECT_NE(machine.prefix.entry("sgsm1.cfg").find("devicewidth 800\r\n"), std::string::npos);
        EXPECT_NE(machine.prefix.entry("sgsm1.cfg").find("enablevsync false\r\n"),
                  std::string::npos);
        const std::string user = machine.prefix.userReg();
        EXPECT_NE(user.find("[Software\\\\EA Sports\\\\NHL 09]"), std::string::npos) << user;
        EXPECT_NE(user.find("\"GFX Mode\"=dword:00000004"), std::string::npos) << user;
        EXPECT_NE(user.find("\\\\Details Settings]"), std::string::npos) << user;
        EXPECT_NE(user.find("\"OnPlay Player\"=dword:000000fa"), std::string::npos) << user;
        EXPECT_NE(user.find("[Software\\\\Olm\\\\Quenor]"), std::string::npos) << user;
        EXPECT_NE(user.find("\"Resolution\"=\"1\""), std::string::npos) << user;
        EXPECT_EQ(user.find("Wow6432Node"), std::string::npos) << user;
        EXPECT_EQ(machine.prefix.systemReg(), systemBefore);

        // The log keeps the Windows form; the prefix says Windows 7 (6.1).
        const std::string log = machine.log();
        EXPECT_NE(log.find(std::string("  strGamePath: ") + c.installDir + "\r\n"),
                  std::string::npos);
        EXPECT_NE(log.find("Quenor Running under: Windows XP\r\n"), std::string::npos);
        EXPECT_NE(log.find("  strTempFolder: " + (machine.home.path() / "bin").string() + "\r\n"),
                  std::string::npos);
        // The scratch files were made beside the log, not in the game folder.
        EXPECT_FALSE(std::filesystem::exists(machine.home.path() / "bin" / "sgsm1.cfg"));
    }
}

TEST(HostPlatform, UnmappableInstallDirFailsAtTheArchiveStepNamingIt) {
    Machine machine(true, "D:\\Games\\NHL 09\\");
    auto platform = HostPlatform::open(machine.executable(), machine.env, files::systemFileIo());
    ScriptedMessageBoxes boxes;
    Tool tool(platform->services(boxes));
    ui::Quenor window(tool);
    ASSERT_TRUE(window.Form_Load());
    const std::string archiveBefore = readFileOrMissing(machine.prefix.archive());
    boxes.expect(MessageAnswer::Yes);
    boxes.expect(MessageAnswer::Ok);  // the failure's box
    window.form().userClick(cn::kBtnApplySettings);
    ASSERT_EQ(boxes.shown().size(), 2u);
    const std::string text = boxes.shown().back().text;
    EXPECT_NE(text.find("The Windows path D:\\Games\\NHL 09\\preload\\fmisc.viv cannot be reached"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(machine.prefix.prefix().string()), std::string::npos) << text;
    EXPECT_EQ(readFileOrMissing(machine.prefix.archive()), archiveBefore);
    EXPECT_EQ(machine.prefix.userReg().find("OnPlay Player"), std::string::npos);
}

TEST(HostPlatform, ToolStoreWithoutWineKeepsItsFilesUnderTheConfigFolder) {
    TempFolder home;
    std::filesystem::create_directories(home.path() / "bin");
    MapEnvironment env(std::map<std::string, std::string>{{"HOME", home.str()}});
    auto platform = HostPlatform::open(home.path() / "bin" / "quenor", env, files::systemFileIo());
    ASSERT_FALSE(platform->refusal());
    ScriptedMessageBoxes boxes;
    Tool tool(platform->services(boxes));
    ui::Quenor window(tool);
    ASSERT_TRUE(window.Form_Load());
    EXPECT_EQ(tool.settings.strGamePath, "");
    const std::string user = readFileOrMissing(home.path() / ".config" / "quenor" / "user.reg");
    EXPECT_NE(user.find("[Software\\\\Olm\\\\Quenor]"), std::string::npos) << user;
    EXPECT_NE(user.find("Quenor Running under: "), 0u);
    EXPECT_NE(
        readFileOrMissing(home.path() / "bin" / "quenor.log").find("Quenor Running under: \r\n"),
        std::string::npos);  // Wine's default 10.0, told to programs as 6.2
}

// The lock file of the prefix's wineserver in upstream Wine's layout (below /tmp, where Wine
// puts it) or Debian's (below $TMPDIR, the name recorded in the prefix).
class ServerLock {
  public:
    ServerLock(bool upstream, const Machine& machine) {
        const std::string server = serverFolderName(machine.prefix.prefix());
        if (upstream) {
            const auto root =
                std::filesystem::path("/tmp") / (".wine-" + std::to_string(::getuid()));
            if (!std::filesystem::exists(root)) {
                std::filesystem::create_directory(root);
                std::filesystem::permissions(root, std::filesystem::perms::owner_all);
            }
            folder_ = root / server;
        } else {
            quenor::testing::writeFileBytes(machine.prefix.prefix() / "wineserver", "wine-T3stAb");
            folder_ = machine.runtime.path() / "wine-T3stAb" / server;
        }
        holder_ = std::make_unique<LockHolder>(folder_ / "lock");
    }
    ~ServerLock() {
        holder_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    bool locked() const { return holder_->locked(); }
    void release() { holder_.reset(); }

  private:
    std::filesystem::path folder_;
    std::unique_ptr<LockHolder> holder_;
};

TEST(HostPlatform, RunningWineserverRefusesTheRunAndNothingIsWritten) {
    for (bool upstream : {true, false}) {
        for (bool win64 : {true, false}) {
            SCOPED_TRACE(std::string(upstream ? "upstream" : "debian") +
                         (win64 ? " win64" : " win32"));
            Machine machine(win64);
            auto lock = std::make_unique<ServerLock>(upstream, machine);
            ASSERT_TRUE(lock->locked());
            const auto prefixBefore = snapshot(machine.prefix.base());
            const auto homeBefore = snapshot(machine.home.path());

            auto platform =
                HostPlatform::open(machine.executable(), machine.env, files::systemFileIo());
            const auto refusal = platform->refusal();
            ASSERT_TRUE(refusal);
            EXPECT_NE(refusal->text.find(machine.prefix.prefix().string()), std::string::npos);
            ScriptedMessageBoxes boxes;
            EXPECT_THROW(platform->services(boxes), ToolError);
            platform.reset();
            EXPECT_EQ(snapshot(machine.prefix.base()), prefixBefore);
            EXPECT_EQ(snapshot(machine.home.path()), homeBefore);

            // Once the server has ended, the same machine runs.
            lock.reset();
            platform = HostPlatform::open(machine.executable(), machine.env, files::systemFileIo());
            EXPECT_FALSE(platform->refusal());
        }
    }
}

TEST(HostPlatform, ServerOfAPrefixNotSavedYetIsARefusalNotAnError) {
    // Right after wineboot the server runs and system.reg is not written yet.
    Machine machine(true);
    std::filesystem::remove(machine.prefix.prefix() / "system.reg");
    {
        ServerLock lock(false, machine);
        ASSERT_TRUE(lock.locked());
        auto platform =
            HostPlatform::open(machine.executable(), machine.env, files::systemFileIo());
        EXPECT_TRUE(platform->refusal());
    }
    try {
        HostPlatform::open(machine.executable(), machine.env, files::systemFileIo());
        ADD_FAILURE() << "a prefix without system.reg was accepted";
    } catch (const ToolError& e) {
        EXPECT_NE(e.description().find("it has no system.reg"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(machine.prefix.prefix() / "system.reg"));
}

TEST(HostPlatform, WineStartedDuringTheRunMakesTheSaveFailNotOverwrite) {
    Machine machine(true);
    auto platform = HostPlatform::open(machine.executable(), machine.env, files::systemFileIo());
    ASSERT_FALSE(platform->refusal());
    ScriptedMessageBoxes boxes;
    Tool tool(platform->services(boxes));
    ui::Quenor window(tool);
    ServerLock lock(false, machine);
    ASSERT_TRUE(lock.locked());
    const std::string userBefore = machine.prefix.userReg();
    boxes.expect(MessageAnswer::Ok);  // the start-up failure
    EXPECT_FALSE(window.Form_Load());
    EXPECT_TRUE(window.startFailed());
    EXPECT_EQ(machine.prefix.userReg(), userBefore);
}

}  // namespace
}  // namespace quenor::host
