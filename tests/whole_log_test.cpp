// Whole runs of the tool without a screen: the complete log of each run compared line by
// line with an expected file, then the registry values and the archive's config files.

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "core/testing/tool_fixture.h"
#include "tests/expected_log.h"
#include "tool/testing/fake_installation.h"
#include "window/testing/headless_tool.h"

namespace quenor::testing {
namespace {

using Lines = std::vector<std::string>;

constexpr std::string_view kSettingsKey = "Software\\Olm\\Quenor";
constexpr std::string_view kGameKey = "Software\\EA Sports\\NHL 09";
constexpr std::string_view kDetailsKey = "Software\\EA Sports\\NHL 09\\Details Settings";

std::map<std::string, std::string> foldersOf(const HeadlessTool& tool) {
    return {{"TOOL", tool.toolFolder()}, {"GAME", tool.gameFolder()}, {"TEMP", tool.tempFolder()}};
}

// Compares two lists of lines and names the first line that differs.
void expectSameLines(const Lines& actual, const Lines& expected) {
    const std::size_t common = std::min(actual.size(), expected.size());
    for (std::size_t i = 0; i < common; ++i) {
        ASSERT_EQ(actual[i], expected[i]) << "first difference at line " << i + 1;
    }
    ASSERT_EQ(actual.size(), expected.size())
        << "the log has " << actual.size() << " lines, expected " << expected.size()
        << (actual.size() > common ? "; first extra line: " + actual[common]
                                   : "; first missing line: " + expected[common]);
}

// The lines logged since `before` lines were there.
Lines linesAfter(const HeadlessTool& tool, std::size_t before) {
    Lines lines = tool.logLines();
    return Lines(lines.begin() + static_cast<std::ptrdiff_t>(std::min(before, lines.size())),
                 lines.end());
}

// The demo config file of a frame after the patches: its "devicewidth" and "deviceheight"
// lines set to `size` when given, its "enablevsync" line set to the VSYNC text.
std::string patchedConfig(int frame, std::optional<std::pair<int, int>> size,
                          const std::string& vsync) {
    if (!size) return demoConfigWith(frame, {{"enablevsync", vsync}});
    return demoConfigWith(frame, {{"devicewidth", std::to_string(size->first)},
                                  {"deviceheight", std::to_string(size->second)},
                                  {"enablevsync", vsync}});
}

TEST(WholeLog, FirstStart) {
    HeadlessTool tool;
    ASSERT_TRUE(tool.start());
    expectSameLines(tool.logLines(), expectedLog("first_start", foldersOf(tool)));
    const std::pair<const char*, const char*> stored[] = {
        {"Version", "1.0"}, {"Resolution", "3"}, {"DeviceWidth", "0"}, {"DeviceHeight", "0"},
        {"ResFrame", "0"},  {"VSYNC", "0"},      {"FPSboost", "0"},    {"Log", "0"}};
    for (const auto& [name, value] : stored) {
        EXPECT_EQ(tool.registryValue(reg::kCurrentUser, kSettingsKey, name), value) << name;
    }
    EXPECT_TRUE(tool.boxesShown().empty());
}

TEST(WholeLog, FirstStartWithoutGameOrTempVariable) {
    HeadlessTool tool({.gameInstalled = false, .tempVariableSet = false, .version = {5, 0}});
    ASSERT_TRUE(tool.start());
    auto folders = foldersOf(tool);
    folders["TEMP"] = tool.toolFolder();
    expectSameLines(tool.logLines(), expectedLog("first_start_without_game", folders));
}

TEST(WholeLog, LaterStartLoadsTheStoredSettings) {
    HeadlessTool tool;
    ASSERT_TRUE(tool.start());
    tool.close();
    const std::size_t before = tool.logLines().size();
    const std::pair<const char*, const char*> stored[] = {
        {"Resolution", "4"}, {"DeviceWidth", "1440"}, {"DeviceHeight", "900"},
        {"ResFrame", "4"},   {"VSYNC", "1"},          {"FPSboost", "3"}};
    for (const auto& [name, value] : stored) {
        tool.storeText(reg::kCurrentUser, kSettingsKey, name, value);
    }
    ASSERT_TRUE(tool.start());
    expectSameLines(linesAfter(tool, before), expectedLog("later_start", foldersOf(tool)));
}

TEST(WholeLog, StartWithLoggingOffLogsTheLoadOnly) {
    HeadlessTool tool;
    ASSERT_TRUE(tool.start());
    tool.close();
    std::filesystem::remove(std::filesystem::path(tool.toolFolder()) / "quenor.log");
    tool.storeText(reg::kCurrentUser, kSettingsKey, "Log", "1");
    ASSERT_TRUE(tool.start());
    expectSameLines(tool.logLines(), expectedLog("start_logging_off", foldersOf(tool)));
    tool.close();
    expectSameLines(tool.logLines(), expectedLog("start_logging_off", foldersOf(tool)));
}

struct ApplyCase {
    const char* expected;
    std::function<void(HeadlessTool&)> choose;
    std::optional<std::string> gfxMode;  // nullopt: not written
    std::string onPlayPlayer;
    int patchedFrame;  // 0: no resolution written into the archive
    std::pair<int, int> size;
    std::string vsync;
};

class ApplyRuns : public ::testing::TestWithParam<ApplyCase> {};

TEST_P(ApplyRuns, LogRegistryAndArchive) {
    const ApplyCase& c = GetParam();
    HeadlessTool tool;
    ASSERT_TRUE(tool.start());
    const std::size_t before = tool.logLines().size();
    c.choose(tool);
    tool.answer(MessageAnswer::Yes);
    tool.answer(MessageAnswer::Ok);
    tool.click("btnApplySettings");
    EXPECT_EQ(tool.pendingAnswers(), 0u);
    expectSameLines(linesAfter(tool, before), expectedLog(c.expected, foldersOf(tool)));

    EXPECT_EQ(tool.registryValue(reg::kCurrentUser, kGameKey, "GFX Mode"), c.gfxMode);
    EXPECT_EQ(tool.registryValue(reg::kCurrentUser, kDetailsKey, "OnPlay Player"), c.onPlayPlayer);
    for (int frame = 1; frame <= 4; ++frame) {
        std::optional<std::pair<int, int>> size;
        if (frame == c.patchedFrame) size = c.size;
        EXPECT_EQ(tool.archiveEntry("sgsm" + std::to_string(frame) + ".cfg"),
                  patchedConfig(frame, size, c.vsync))
            << "frame " << frame;
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(tool.tempFolder()) /
                                             ("sgsm" + std::to_string(frame) + ".cfg")));
    }
    ASSERT_EQ(tool.boxesShown().size(), 2u);
    EXPECT_EQ(tool.boxesShown()[0].title, "Apply changes?");
    EXPECT_EQ(tool.boxesShown()[1].title, "All done!");
}

INSTANTIATE_TEST_SUITE_P(
    WholeLog, ApplyRuns,
    ::testing::Values(
        ApplyCase{"apply_1280x800",
                  [](HeadlessTool& clicked) { clicked.click("optResolution", 0); },
                  "3",
                  "250",
                  3,
                  {1280, 800},
                  "true"},
        ApplyCase{"apply_1600x1000_vsync_off_high",
                  [](HeadlessTool& clicked) {
                      clicked.click("optResolution", 1);
                      clicked.click("optVSYNC", 1);
                      clicked.click("optFPSboost", 3);
                  },
                  "4",
                  "100",
                  4,
                  {1600, 1000},
                  "false"},
        ApplyCase{"apply_1024x768_extreme",
                  [](HeadlessTool& clicked) {
                      clicked.click("optResolution", 2);
                      clicked.click("optFPSboost", 4);
                  },
                  "2",
                  "50",
                  2,
                  {1024, 768},
                  "true"},
        ApplyCase{"apply_user_defined",
                  [](HeadlessTool& clicked) {
                      clicked.click("optResolution", 4);
                      clicked.type("txtResWidth", "1440");
                      clicked.type("txtResHeight", "900");
                      clicked.pick("lstResFrame", 4);
                  },
                  "4",
                  "250",
                  4,
                  {1440, 900},
                  "true"},
        ApplyCase{"apply_no_change", [](HeadlessTool&) {}, std::nullopt, "250", 0, {0, 0}, "true"}),
    [](const auto& test) { return std::string(test.param.expected); });

TEST(WholeLog, ApplyWithRejectedUserDefinedValuesChangesNothing) {
    HeadlessTool tool;
    ASSERT_TRUE(tool.start());
    const std::size_t before = tool.logLines().size();
    tool.click("optResolution", 4);
    tool.type("txtResWidth", "0800");
    tool.type("txtResHeight", "600");
    tool.pick("lstResFrame", 2);
    tool.answer(MessageAnswer::Yes);
    tool.answer(MessageAnswer::Ok);
    tool.click("btnApplySettings");
    expectSameLines(linesAfter(tool, before),
                    expectedLog("apply_user_defined_rejected", foldersOf(tool)));
    ASSERT_EQ(tool.boxesShown().size(), 2u);
    EXPECT_EQ(tool.boxesShown()[1],
              (MessageBoxRequest{"Invalid resolution specified",
                                 "Invalid Width or Height or missing Resolution Frame.",
                                 MessageButtons::Ok, MessageIcon::Exclamation, 0}));
    EXPECT_EQ(tool.registryValue(reg::kCurrentUser, kSettingsKey, "Resolution"), "3");
    EXPECT_EQ(tool.registryValue(reg::kCurrentUser, kGameKey, "GFX Mode"), std::nullopt);
    for (int frame = 1; frame <= 4; ++frame) {
        EXPECT_EQ(tool.archiveEntry("sgsm" + std::to_string(frame) + ".cfg"), demoConfig(frame));
    }
}

TEST(WholeLog, ApplyAnsweredNoWritesTwoLines) {
    HeadlessTool tool;
    ASSERT_TRUE(tool.start());
    const std::size_t before = tool.logLines().size();
    tool.answer(MessageAnswer::No);
    tool.click("btnApplySettings");
    expectSameLines(linesAfter(tool, before), expectedLog("apply_answered_no", foldersOf(tool)));
    EXPECT_EQ(tool.archiveEntry("sgsm1.cfg"), demoConfig(1));
}

struct ResetCase {
    const char* expected;
    std::function<void(HeadlessTool&)> choose;
};

class ResetRuns : public ::testing::TestWithParam<ResetCase> {};

TEST_P(ResetRuns, RetailValuesEverywhere) {
    const ResetCase& c = GetParam();
    HeadlessTool tool;
    ASSERT_TRUE(tool.start());
    const std::size_t before = tool.logLines().size();
    c.choose(tool);
    tool.answer(MessageAnswer::Ok);
    tool.answer(MessageAnswer::Ok);
    tool.click("btnSetDefaults");
    expectSameLines(linesAfter(tool, before), expectedLog(c.expected, foldersOf(tool)));

    EXPECT_EQ(tool.registryValue(reg::kCurrentUser, kGameKey, "GFX Mode"), "2");
    EXPECT_EQ(tool.registryValue(reg::kCurrentUser, kDetailsKey, "OnPlay Player"), "250");
    const std::pair<int, int> retail[] = {{800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};
    for (int frame = 1; frame <= 4; ++frame) {
        EXPECT_EQ(tool.archiveEntry("sgsm" + std::to_string(frame) + ".cfg"),
                  patchedConfig(frame, retail[frame - 1], "true"))
            << "frame " << frame;
    }
    const std::pair<const char*, const char*> stored[] = {
        {"Resolution", "3"}, {"DeviceWidth", "1600"}, {"DeviceHeight", "1200"},
        {"ResFrame", "0"},   {"VSYNC", "0"},          {"FPSboost", "0"},
        {"Log", "0"}};
    for (const auto& [name, value] : stored) {
        EXPECT_EQ(tool.registryValue(reg::kCurrentUser, kSettingsKey, name), value) << name;
    }
    const ui::FormModel& form = tool.window().form();
    EXPECT_EQ(form.selectedOption("optResolution"), 3);
    EXPECT_EQ(form.selectedOption("optVSYNC"), 0);
    EXPECT_EQ(form.selectedOption("optFPSboost"), 0);
    EXPECT_EQ(form.selectedOption("optQuenorLogging"), 0);
    ASSERT_EQ(tool.boxesShown().size(), 2u);
    EXPECT_EQ(tool.boxesShown()[1].title, "All done!");
}

INSTANTIATE_TEST_SUITE_P(WholeLog, ResetRuns,
                         ::testing::Values(ResetCase{"reset", [](HeadlessTool&) {}},
                                           ResetCase{"reset_vsync_off",
                                                     [](HeadlessTool& clicked) {
                                                         clicked.click("optResolution", 1);
                                                         clicked.click("optVSYNC", 1);
                                                         clicked.click("optFPSboost", 4);
                                                     }},
                                           ResetCase{"reset_logging_off",
                                                     [](HeadlessTool& clicked) {
                                                         clicked.click("optQuenorLogging", 1);
                                                     }}),
                         [](const auto& test) { return std::string(test.param.expected); });

TEST(WholeLog, QuitAnsweredNoAndYes) {
    HeadlessTool tool;
    ASSERT_TRUE(tool.start());
    std::size_t before = tool.logLines().size();
    tool.answer(MessageAnswer::No);
    tool.click("btnQuit");
    expectSameLines(linesAfter(tool, before), expectedLog("quit_no", foldersOf(tool)));
    EXPECT_FALSE(tool.window().unloaded());

    bool closeRequested = false;
    tool.window().onCloseRequested([&] { closeRequested = true; });
    before = tool.logLines().size();
    tool.answer(MessageAnswer::Yes);
    tool.click("btnQuit");
    expectSameLines(linesAfter(tool, before), expectedLog("quit_yes", foldersOf(tool)));
    EXPECT_TRUE(closeRequested);
    EXPECT_TRUE(tool.window().unloaded());
    // The close that follows the Quit writes nothing more.
    tool.close();
    expectSameLines(linesAfter(tool, before), expectedLog("quit_yes", foldersOf(tool)));
}

TEST(WholeLog, DeleteLogFileThenTheNextLineStartsANewFile) {
    HeadlessTool tool;
    ASSERT_TRUE(tool.start());
    tool.answer(MessageAnswer::Yes);
    tool.click("btnDeleteQuenorlog");
    EXPECT_EQ(tool.log(), "");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(tool.toolFolder()) / "quenor.log"));
    tool.click("optVSYNC", 1);
    expectSameLines(tool.logLines(), expectedLog("delete_log", foldersOf(tool)));
}

TEST(WholeLog, FailureInTheMiddleOfApplyIsShownOnceAndNothingIsSaved) {
    // The archive lacks frame 2's file: the resolution patch and the first VSYNC pass
    // succeed, the second pass cannot take its file out.
    HeadlessTool tool({.framesInArchive = {1, 3, 4}});
    ASSERT_TRUE(tool.start());
    tool.click("optResolution", 0);
    tool.click("optVSYNC", 1);
    tool.answer(MessageAnswer::Yes);
    tool.answer(MessageAnswer::Ok);
    tool.click("btnApplySettings");

    ASSERT_EQ(tool.boxesShown().size(), 2u);
    const MessageBoxRequest& failure = tool.boxesShown()[1];
    EXPECT_EQ(failure.icon, MessageIcon::Critical);
    EXPECT_EQ(failure.buttons, MessageButtons::Ok);
    EXPECT_NE(failure.text.find("sgsm2.cfg"), std::string::npos) << failure.text;
    EXPECT_NE(failure.text.find("fmisc.viv"), std::string::npos) << failure.text;
    EXPECT_NE(failure.text.find("Error number: "), std::string::npos) << failure.text;

    // What was written before the failure, in the box and the log, with the way back.
    const std::string written =
        "the game archive " + tool.tool().settings.strFMISCpath + " (sgsm3.cfg, sgsm1.cfg)";
    EXPECT_NE(failure.text.find("Quenor had changed, before it stopped: " + written + "."),
              std::string::npos)
        << failure.text;
    EXPECT_NE(failure.text.find("\"quenorctl restore\""), std::string::npos) << failure.text;
    const Lines lines = tool.logLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], std::string(kFixedStamp) + "      Call ExportFile");
    EXPECT_EQ(lines.back(),
              std::string(kFixedStamp) + "     Changed before the failure: " + written);
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find("All Done!"), std::string::npos);
        EXPECT_EQ(line.find("SetVSYNC - OK"), std::string::npos);
    }
    // Done steps stay done; the settings were not saved.
    EXPECT_EQ(tool.registryValue(reg::kCurrentUser, kGameKey, "GFX Mode"), "3");
    // Frame 3 got its resolution; its VSYNC pass never came. Frame 1's did.
    EXPECT_EQ(tool.archiveEntry("sgsm3.cfg"), patchedConfig(3, std::pair{1280, 800}, "true"));
    EXPECT_EQ(tool.archiveEntry("sgsm1.cfg"), patchedConfig(1, std::nullopt, "false"));
    EXPECT_EQ(tool.registryValue(reg::kCurrentUser, kSettingsKey, "Resolution"), "3");
    EXPECT_EQ(tool.registryValue(reg::kCurrentUser, kDetailsKey, "OnPlay Player"), std::nullopt);

    // The window stays usable.
    tool.click("optVSYNC", 0);
    EXPECT_EQ(tool.logLines().back(), std::string(kFixedStamp) + "     optVSYNC_Click: true");
}

}  // namespace
}  // namespace quenor::testing
