// The window's behaviour over whole runs: how start-up shows stored settings, what choosing
// options does to the boxes and the list, in which order nested handlers run, the help
// labels, closing, and a start-up that fails.

#include <gtest/gtest.h>

#include "core/testing/tool_fixture.h"
#include "window/help_texts.h"
#include "window/testing/headless_tool.h"

namespace quenor::testing {
namespace {

constexpr std::string_view kSettingsKey = "Software\\Olm\\Quenor";

// The messages logged since `before` lines, without the time stamp.
std::vector<std::string> messagesAfter(const HeadlessTool& tool, std::size_t before) {
    const std::string prefix = std::string(kFixedStamp) + "     ";
    std::vector<std::string> messages;
    const std::vector<std::string> lines = tool.logLines();
    for (std::size_t i = before; i < lines.size(); ++i) {
        messages.push_back(lines[i].rfind(prefix, 0) == 0 ? lines[i].substr(prefix.size())
                                                          : lines[i]);
    }
    return messages;
}

// Starts once to create the key, then stores the given settings and starts again.
void startWithStored(HeadlessTool& tool,
                     std::initializer_list<std::pair<const char*, const char*>> stored) {
    ASSERT_TRUE(tool.start());
    for (const auto& [name, value] : stored) {
        tool.storeText(reg::kCurrentUser, kSettingsKey, name, value);
    }
    ASSERT_TRUE(tool.start());
}

TEST(Reflection, StoredUserDefinedFillsTheBoxesAndTheList) {
    HeadlessTool tool;
    startWithStored(
        tool,
        {{"Resolution", "4"}, {"DeviceWidth", "1440"}, {"DeviceHeight", "900"}, {"ResFrame", "4"}});
    const ui::FormModel& form = tool.window().form();
    EXPECT_EQ(form.control("txtResWidth").text, "1440");
    EXPECT_EQ(form.control("txtResHeight").text, "900");
    EXPECT_EQ(form.control("lstResFrame").selectedEntry, 4);
    EXPECT_TRUE(form.control("txtResWidth").enabled);
    EXPECT_TRUE(form.control("txtResHeight").enabled);
    EXPECT_TRUE(form.control("lstResFrame").enabled);
    EXPECT_EQ(tool.tool().settings.intResFrame, 4);
    EXPECT_EQ(tool.tool().patch.configFileName, "custom");
}

TEST(Reflection, StoredPresetWithAStaleFrameClearsTheFrame) {
    HeadlessTool tool;
    startWithStored(tool, {{"Resolution", "0"}, {"ResFrame", "3"}});
    const ui::FormModel& form = tool.window().form();
    EXPECT_EQ(tool.tool().settings.intResFrame, 0);
    EXPECT_EQ(form.control("lstResFrame").selectedEntry, 0);
    EXPECT_FALSE(form.control("lstResFrame").enabled);
    EXPECT_EQ(tool.tool().patch.configFileName, "sgsm3.cfg");
    // The next save stores the cleared frame.
    tool.answer(MessageAnswer::Yes);
    tool.answer(MessageAnswer::Ok);
    tool.click("btnApplySettings");
    EXPECT_EQ(tool.registryValue(reg::kCurrentUser, kSettingsKey, "ResFrame"), "0");
}

TEST(Reflection, StoredIndexesOutsideTheirGroupsFallBackToDefaults) {
    HeadlessTool tool;
    startWithStored(tool, {{"Resolution", "7"}, {"VSYNC", "-1"}, {"FPSboost", "9"}, {"Log", "5"}});
    const ui::FormModel& form = tool.window().form();
    EXPECT_EQ(form.selectedOption("optResolution"), 3);
    EXPECT_EQ(form.selectedOption("optVSYNC"), 0);
    EXPECT_EQ(form.selectedOption("optFPSboost"), 0);
    EXPECT_EQ(form.selectedOption("optQuenorLogging"), 0);
    const SettingsModel& s = tool.tool().settings;
    EXPECT_EQ(s.intResolution, 3);
    EXPECT_EQ(s.intVSYNC, 0);
    EXPECT_EQ(s.intFPSboost, 0);
    EXPECT_EQ(s.intLog, 0);
}

TEST(Reflection, SwitchingPresetsAndBackEmptiesTheBoxes) {
    HeadlessTool tool;
    ASSERT_TRUE(tool.start());
    const std::size_t before = tool.logLines().size();
    tool.click("optResolution", 4);
    tool.type("txtResWidth", "1440");
    tool.type("txtResHeight", "900");
    tool.pick("lstResFrame", 3);
    EXPECT_EQ(tool.tool().settings.intResFrame, 3);
    tool.click("optResolution", 1);
    tool.click("optResolution", 4);
    const ui::FormModel& form = tool.window().form();
    EXPECT_EQ(form.control("txtResWidth").text, "");
    EXPECT_EQ(form.control("txtResHeight").text, "");
    EXPECT_EQ(form.control("lstResFrame").selectedEntry, 0);
    EXPECT_EQ(tool.tool().settings.intResFrame, 0);
    EXPECT_EQ(
        messagesAfter(tool, before),
        (std::vector<std::string>{"optResolution_Click: custom", "optResolution_Click: sgsm4.cfg",
                                  "optResolution_Click: custom"}));
}

TEST(Reflection, NestedHandlersFinishBeforeTheStepThatSelected) {
    // Reset selects the defaults from code; each handler's line stands before the line
    // of the step that made the selection, and the frame list's handler runs inside the
    // resolution handler.
    HeadlessTool tool;
    ASSERT_TRUE(tool.start());
    tool.click("optResolution", 4);
    tool.pick("lstResFrame", 2);
    tool.click("optVSYNC", 1);
    const std::size_t before = tool.logLines().size();
    tool.answer(MessageAnswer::Ok);
    tool.answer(MessageAnswer::Ok);
    tool.click("btnSetDefaults");
    std::vector<std::string> tail;
    for (const std::string& message : messagesAfter(tool, before)) {
        if (message.find("Click") != std::string::npos ||
            message.find("CLICK") != std::string::npos ||
            message.find("Def Value") != std::string::npos) {
            tail.push_back(message);
        }
    }
    const std::vector<std::string> expectedTail{
        "btnSetDefaults_Click",           "MsgBox 'Reset all changes' CLICK OK",
        "optResolution_Click: default",   "optResolution Set Def Value - OK",
        "optVSYNC_Click: true",           "optVSYNC Set Def Value - OK",
        "optFPSboost Set Def Value - OK", "optQuenorLogging Set Def Value - OK",
        "MsgBox 'All done!' Click OK"};
    EXPECT_EQ(tail, expectedTail);
    EXPECT_EQ(tool.tool().settings.intResFrame, 0);
}

TEST(HelpLabels, EachShowsItsTextAndLogsNothing) {
    HeadlessTool tool;
    ASSERT_TRUE(tool.start());
    const std::string logBefore = tool.log();
    const char* labels[] = {"labMoreResolution", "labMoreInfoResFrame", "labMoreInfoVSYNC",
                            "labMoreInfoFPS", "labQuenorLogging"};
    for (const char* label : labels) {
        tool.answer(MessageAnswer::Ok);
        tool.click(label);
        ASSERT_FALSE(tool.boxesShown().empty());
        EXPECT_EQ(tool.boxesShown().back(), ui::helpMessage(*ui::helpTopicOfLabel(label))) << label;
        EXPECT_EQ(tool.boxesShown().back().icon, MessageIcon::Information);
    }
    EXPECT_EQ(tool.boxesShown().size(), 5u);
    EXPECT_EQ(tool.log(), logBefore);
}

TEST(Closing, TheCloseButtonUnloadsWithoutAQuestion) {
    HeadlessTool tool;
    ASSERT_TRUE(tool.start());
    const std::size_t before = tool.logLines().size();
    tool.close();
    EXPECT_EQ(messagesAfter(tool, before),
              (std::vector<std::string>{"Quenor Unload - OK", std::string(54, '*')}));
    EXPECT_TRUE(tool.boxesShown().empty());
}

TEST(StartUpFailure, IsShownOnceAndNothingMoreIsWritten) {
    // The log cannot be written: a folder stands where the log file belongs.
    HeadlessTool tool;
    std::filesystem::create_directory(std::filesystem::path(tool.toolFolder()) / "quenor.log");
    tool.answer(MessageAnswer::Ok);
    EXPECT_FALSE(tool.start());
    EXPECT_TRUE(tool.window().startFailed());
    ASSERT_EQ(tool.boxesShown().size(), 1u);
    EXPECT_EQ(tool.boxesShown()[0].title, "Quenor could not start");
    EXPECT_EQ(tool.boxesShown()[0].icon, MessageIcon::Critical);
    EXPECT_NE(tool.boxesShown()[0].text.find("quenor.log"), std::string::npos)
        << tool.boxesShown()[0].text;
    tool.close();
    EXPECT_EQ(tool.registryValue(reg::kCurrentUser, kSettingsKey, "Version"), std::nullopt);
    EXPECT_EQ(tool.boxesShown().size(), 1u);
}

}  // namespace
}  // namespace quenor::testing
