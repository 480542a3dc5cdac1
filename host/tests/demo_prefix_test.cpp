// The demo prefix of scripts/make-demo-prefix.sh: the tool opens on it, Apply patches it,
// Reset gives back the retail files and values.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/testing/fake_platform.h"
#include "core/testing/scripted_message_boxes.h"
#include "core/testing/temp_folder.h"
#include "host/host_platform.h"
#include "tool/testing/fake_installation.h"
#include "window/quenor_layout.h"
#include "window/quenor_window.h"

namespace quenor::host {
namespace {

using quenor::testing::archiveEntry;
using quenor::testing::MapEnvironment;
using quenor::testing::readFileOrMissing;
using quenor::testing::TempFolder;
namespace cn = ui::control_names;

std::filesystem::path sourceDir() {
    const char* dir = std::getenv("QUENOR_SOURCE_DIR");
    return dir ? std::filesystem::path(dir) : std::filesystem::current_path();
}

std::string quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

class DemoPrefixTest : public ::testing::Test {
  protected:
    void SetUp() override {
        prefix_ = folder_.path() / "demo prefix";
        const std::string command = "QUENOR_VIV=" + quoted(QUENOR_VIV_PROGRAM) + " " +
                                    quoted(sourceDir() / "scripts" / "make-demo-prefix.sh") + " " +
                                    quoted(prefix_) + " >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        std::filesystem::create_directories(folder_.path() / "home" / "bin");
        env_.set("HOME", (folder_.path() / "home").string());
        env_.set("WINEPREFIX", prefix_.string());
    }
    std::filesystem::path archive() const {
        return prefix_ / "drive_c" / "Program Files (x86)" / "EA Sports" / "NHL 09" / "preload" /
               "fmisc.viv";
    }
    std::string sample(int n) const {
        return readFileOrMissing(sourceDir() / "demo" / ("sgsm" + std::to_string(n) + ".cfg"));
    }

    TempFolder folder_;
    std::filesystem::path prefix_;
    MapEnvironment env_;
};

TEST_F(DemoPrefixTest, SamplesAreCrLfTextWithTheDisplayLines) {
    for (int n = 1; n <= 4; ++n) {
        const std::string text = sample(n);
        SCOPED_TRACE(n);
        for (const char* key :
             {"\r\ndevicewidth ", "\r\ndeviceheight ", "\r\nenablevsync true\r\n"})
            EXPECT_NE(text.find(key), std::string::npos) << key;
        std::size_t lf = 0;
        while ((lf = text.find('\n', lf + 1)) != std::string::npos) EXPECT_EQ(text[lf - 1], '\r');
        EXPECT_EQ(archiveEntry(archive(), "sgsm" + std::to_string(n) + ".cfg"), text);
    }
}

TEST_F(DemoPrefixTest, ApplyThenResetGivesBackTheRetailInstallation) {
    auto platform =
        HostPlatform::open(folder_.path() / "home" / "bin" / "quenor", env_, files::systemFileIo());
    ASSERT_FALSE(platform->refusal());
    quenor::testing::ScriptedMessageBoxes boxes;
    Tool tool(platform->services(boxes));
    ui::Quenor window(tool);
    ASSERT_TRUE(window.Form_Load());
    EXPECT_EQ(tool.settings.strFMISCpath,
              "C:\\Program Files (x86)\\EA Sports\\NHL 09\\preload\\fmisc.viv");

    window.form().userClickOption(cn::kOptResolution, 1);  // 1600x1000 into sgsm4.cfg
    window.form().userClickOption(cn::kOptVsync, 1);       // OFF
    window.form().userClickOption(cn::kOptFpsBoost, 4);    // Extreme: 50
    boxes.expect(MessageAnswer::Yes);
    boxes.expect(MessageAnswer::Ok);
    window.form().userClick(cn::kBtnApplySettings);
    ASSERT_EQ(boxes.shown().back().title, "All done!") << boxes.shown().back().text;
    const std::string applied = archiveEntry(archive(), "sgsm4.cfg");
    EXPECT_NE(applied.find("\r\ndevicewidth 1600\r\ndeviceheight 1000\r\n"), std::string::npos);
    EXPECT_NE(applied.find("\r\nenablevsync false\r\n"), std::string::npos);
    std::string user = readFileOrMissing(prefix_ / "user.reg");
    EXPECT_NE(user.find("\"GFX Mode\"=dword:00000004"), std::string::npos) << user;
    EXPECT_NE(user.find("\"OnPlay Player\"=dword:00000032"), std::string::npos) << user;

    boxes.expect(MessageAnswer::Ok);
    boxes.expect(MessageAnswer::Ok);
    window.form().userClick(cn::kBtnSetDefaults);
    ASSERT_EQ(boxes.shown().back().title, "All done!") << boxes.shown().back().text;
    window.Form_Unload();

    // The retail sizes and VSYNC on are what the samples hold: every file is as made.
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(archiveEntry(archive(), "sgsm" + std::to_string(n) + ".cfg"), sample(n)) << n;
    user = readFileOrMissing(prefix_ / "user.reg");
    for (const char* line :
         {"\"GFX Mode\"=dword:00000002", "\"OnPlay Player\"=dword:000000fa", "\"Resolution\"=\"3\"",
          "\"DeviceWidth\"=\"1600\"", "\"DeviceHeight\"=\"1200\"", "\"VSYNC\"=\"0\"",
          "\"FPSboost\"=\"0\""}) {
        EXPECT_NE(user.find(line), std::string::npos) << line << "\n" << user;
    }
    EXPECT_NE(readFileOrMissing(folder_.path() / "home" / "bin" / "quenor.log")
                  .find("strFMISCpath: C:\\Program Files (x86)\\EA Sports\\NHL 09\\preload\\"
                        "fmisc.viv\r\n"),
              std::string::npos);
}

TEST_F(DemoPrefixTest, ScriptKeepsAFolderThatIsNoDemoPrefix) {
    const auto other = folder_.path() / "real prefix";
    std::filesystem::create_directories(other);
    testing::writeFileBytes(other / "system.reg", "WINE REGISTRY Version 2\n");
    const std::string command = "QUENOR_VIV=" + quoted(QUENOR_VIV_PROGRAM) + " " +
                                quoted(sourceDir() / "scripts" / "make-demo-prefix.sh") + " " +
                                quoted(other) + " >/dev/null 2>&1";
    EXPECT_NE(std::system(command.c_str()), 0);
    EXPECT_EQ(readFileOrMissing(other / "system.reg"), "WINE REGISTRY Version 2\n");
    EXPECT_FALSE(std::filesystem::exists(other / "drive_c"));
}

TEST_F(DemoPrefixTest, AutoChoosesTheSetPrefixTheGamesPrefixOrTheDemo) {
    const auto home = folder_.path() / "home";
    const auto run = [&](const std::string& variables) {
        const std::string command = "env " + variables + " HOME=" + quoted(home) +
                                    " QUENOR_VIV=" + quoted(QUENOR_VIV_PROGRAM) + " " +
                                    quoted(sourceDir() / "scripts" / "make-demo-prefix.sh") +
                                    " --auto " + quoted(prefix_) + " 2>/dev/null";
        std::string output;
        if (FILE* pipe = ::popen(command.c_str(), "r")) {
            char buffer[512];
            while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
                output.append(buffer, got);
            ::pclose(pipe);
        }
        return output;
    };
    // The demo made by SetUp is kept, with what Apply wrote into it.
    testing::writeFileBytes(prefix_ / "user.reg", "WINE REGISTRY Version 2\n#arch=win64\n");
    EXPECT_EQ(run("-u WINEPREFIX"), prefix_.string() + "\n");
    EXPECT_EQ(readFileOrMissing(prefix_ / "user.reg"), "WINE REGISTRY Version 2\n#arch=win64\n");
    // ~/.wine without the game does not count; with it, it does.
    std::filesystem::create_directories(home / ".wine");
    testing::writeFileBytes(home / ".wine" / "system.reg", "WINE REGISTRY Version 2\n");
    EXPECT_EQ(run("-u WINEPREFIX"), prefix_.string() + "\n");
    testing::writeFileBytes(home / ".wine" / "system.reg",
                            "WINE REGISTRY Version 2\n\n[Software\\\\Wow6432Node\\\\EA "
                            "Sports\\\\NHL 09] 1796600000\n");
    EXPECT_EQ(run("-u WINEPREFIX"), (home / ".wine").string() + "\n");
    EXPECT_EQ(run("WINEPREFIX=/games/prefix"), "/games/prefix\n");
}

}  // namespace
}  // namespace quenor::host
