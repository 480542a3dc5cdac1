// The tool in a real Wine prefix made by wineboot: refused while the prefix's wineserver
// runs, then started and applied in-process, and what it wrote read back with Wine's own
// "reg query". Needs Debian's wine64; skipped where it is not installed.
#include <gtest/gtest.h>

#include "core/testing/fake_platform.h"
#include "core/testing/scripted_message_boxes.h"
#include "core/testing/temp_folder.h"
#include "host/host_platform.h"
#include "lib/registry/wine/testing/wine_programs.h"
#include "tool/originals/restore_originals.h"
#include "tool/testing/fake_installation.h"
#include "window/quenor_layout.h"
#include "window/quenor_window.h"

namespace quenor::host {
namespace {

using quenor::testing::archiveEntry;
using quenor::testing::MapEnvironment;
using quenor::testing::TempFolder;
using quenor::testing::writeDemoArchive;
namespace cn = ui::control_names;

using reg::wine::testing::kWine64;
using reg::wine::testing::runInPrefix;
using reg::wine::testing::stopWineServer;

TEST(WineEndToEnd, ApplyInAPrefixMadeByWineboot) {
    if (!reg::wine::testing::wineInstalled()) {
        GTEST_SKIP() << "wine64 (" << kWine64 << ") or wineserver is not installed";
    }
    TempFolder folder;
    const auto prefix = folder.path() / "prefix";
    // One server for both: the key is added while wineboot's server still runs. The game's
    // folder is one no other test uses: a Wine program whose command line names a game folder
    // counts as that game running, for the tests beside this one too.
    runInPrefix(prefix,
                std::string(kWine64) + " wineboot --init && " + kWine64 +
                    " reg add 'HKLM\\Software\\EA Sports\\NHL 09' /v 'Install Dir' /t REG_SZ"
                    " /d 'C:\\EA Games\\NHL 09\\' /reg:32 /f");

    std::filesystem::create_directories(folder.path() / "home" / "bin");
    MapEnvironment env;
    env.set("HOME", (folder.path() / "home").string());
    env.set("WINEPREFIX", prefix.string());
    if (const char* tmp = std::getenv("TMPDIR")) env.set("TMPDIR", tmp);
    const auto executable = folder.path() / "home" / "bin" / "quenor";

    // "reg add" has just ended: its wineserver still runs, so the tool refuses to start.
    auto refused = HostPlatform::open(executable, env, files::systemFileIo());
    ASSERT_TRUE(refused->refusal()) << "the running wineserver was not noticed";
    EXPECT_NE(refused->refusal()->text.find(prefix.string()), std::string::npos);
    refused.reset();
    stopWineServer(prefix);
    ASSERT_TRUE(std::filesystem::exists(prefix / "system.reg")) << "wineboot made no prefix";
    // The refused run wrote nothing: no log, no settings key in the prefix Wine saved.
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "home" / "bin" / "quenor.log"));
    EXPECT_EQ(testing::readFileOrMissing(prefix / "user.reg").find("Olm"), std::string::npos);

    // The game's archive where "Install Dir" points, in a folder of another letter case.
    const auto archive = prefix / "drive_c" / "ea games" / "nhl 09" / "Preload" / "fmisc.viv";
    writeDemoArchive(archive);
    const std::string pristine = testing::readFileOrMissing(archive);

    {
        auto platform = HostPlatform::open(executable, env, files::systemFileIo());
        ASSERT_FALSE(platform->refusal()) << platform->refusal()->text;
        quenor::testing::ScriptedMessageBoxes boxes;
        Tool tool(platform->services(boxes));
        ui::Quenor window(tool);
        ASSERT_TRUE(window.Form_Load());
        EXPECT_EQ(tool.settings.strGamePath, "C:\\EA Games\\NHL 09\\");
        window.form().userClickOption(cn::kOptResolution, 0);  // 1280x800: sgsm3, GFX Mode 3
        window.form().userClickOption(cn::kOptVsync, 1);       // OFF
        window.form().userClickOption(cn::kOptFpsBoost, 3);    // High: 100
        boxes.expect(MessageAnswer::Yes);
        boxes.expect(MessageAnswer::Ok);
        window.form().userClick(cn::kBtnApplySettings);
        ASSERT_EQ(boxes.shown().size(), 2u);
        EXPECT_EQ(boxes.shown().back().title, "All done!") << boxes.shown().back().text;
        window.Form_Unload();
    }

    const std::string both =
        runInPrefix(prefix, std::string(kWine64) +
                                " reg query 'HKCU\\Software\\EA Sports\\NHL 09' /s; echo SPLIT; " +
                                kWine64 + " reg query 'HKCU\\Software\\Olm\\Quenor'");
    const std::size_t split = both.find("SPLIT");
    ASSERT_NE(split, std::string::npos) << both;
    const std::string game = both.substr(0, split);
    const std::string settings = both.substr(split);
    stopWineServer(prefix);
    EXPECT_NE(game.find("GFX Mode    REG_DWORD    0x3\r\n"), std::string::npos) << game;
    EXPECT_NE(game.find("Details Settings\r\n"), std::string::npos) << game;
    EXPECT_NE(game.find("OnPlay Player    REG_DWORD    0x64\r\n"), std::string::npos) << game;
    for (const char* line :
         {"Version    REG_SZ    1.0\r\n", "Resolution    REG_SZ    0\r\n",
          "DeviceWidth    REG_SZ    1280\r\n", "DeviceHeight    REG_SZ    800\r\n",
          "VSYNC    REG_SZ    1\r\n", "FPSboost    REG_SZ    3\r\n"}) {
        EXPECT_NE(settings.find(line), std::string::npos) << line << settings;
    }

    const std::string applied = archiveEntry(archive, "sgsm3.cfg");
    for (const char* line :
         {"\r\ndevicewidth 1280\r\n", "\r\ndeviceheight 800\r\n", "\r\nenablevsync false\r\n"}) {
        EXPECT_NE(applied.find(line), std::string::npos) << line << applied;
    }
    for (const char* name : {"sgsm1.cfg", "sgsm2.cfg", "sgsm4.cfg"}) {
        EXPECT_NE(archiveEntry(archive, name).find("enablevsync false\r\n"), std::string::npos)
            << name;
    }

    // The originals back: the archive byte for byte, and the game's keys, which Apply made,
    // gone again as Wine sees the registry.
    {
        auto platform = HostPlatform::open(executable, env, files::systemFileIo());
        ASSERT_FALSE(platform->refusal()) << platform->refusal()->text;
        quenor::testing::ScriptedMessageBoxes boxes;
        PlatformServices services = platform->services(boxes);
        originals::restoreOriginals(services, "C:\\EA Games\\NHL 09\\preload\\fmisc.viv", false);
    }
    EXPECT_EQ(testing::readFileOrMissing(archive), pristine);
    const std::string restored = runInPrefix(
        prefix, std::string(kWine64) + " reg query 'HKCU\\Software\\EA Sports' /s; echo status=$?");
    stopWineServer(prefix);
    EXPECT_EQ(restored.find("GFX Mode"), std::string::npos) << restored;
    EXPECT_NE(restored.find("status=1"), std::string::npos) << restored;
}

}  // namespace
}  // namespace quenor::host
