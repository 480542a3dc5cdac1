#include <gtest/gtest.h>

#include <sstream>

#include "tests/quenor_script/tool_script.h"
#include "window/testing/headless_tool.h"

namespace quenor::app::script {
namespace {

TEST(ToolScript, ReadsEveryKindOfStep) {
    const auto steps = parseScript(
        "# a comment\r\n"
        "start\r\n"
        "\r\n"
        "  answer Yes  \n"
        "click optResolution 4\n"
        "click btnApplySettings\n"
        "type txtResWidth 1920 x\n"
        "pick cmbResFrame 2\n"
        "close",
        "s.txt");
    ASSERT_EQ(steps.size(), 7u);
    EXPECT_EQ(steps[0].kind, Step::Kind::Start);
    EXPECT_EQ(steps[0].line, 2);
    EXPECT_EQ(steps[1].kind, Step::Kind::Answer);
    EXPECT_EQ(steps[1].answer, MessageAnswer::Yes);
    EXPECT_EQ(steps[2].control, "optResolution");
    EXPECT_EQ(steps[2].number, 4);
    EXPECT_EQ(steps[3].number, -1);
    EXPECT_EQ(steps[4].kind, Step::Kind::Type);
    EXPECT_EQ(steps[4].text, "1920 x");
    EXPECT_EQ(steps[5].kind, Step::Kind::Pick);
    EXPECT_EQ(steps[5].number, 2);
    EXPECT_EQ(steps[6].kind, Step::Kind::Close);
    EXPECT_EQ(steps[6].line, 9);
}

TEST(ToolScript, RefusesWhatIsNotAStepNamingTheLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"start\njump", "s.txt:2: unknown step \"jump\""},
        {"answer Maybe", "s.txt:1: \"Maybe\" is not Yes, No, Ok, Cancel, Retry or Closed"},
        {"answer", "s.txt:1: \"\" is not Yes"},
        {"click", "s.txt:1: click needs a control name"},
        {"click optVSYNC -1", "s.txt:1: option index \"-1\" is not a number"},
        {"click optVSYNC 1x", "s.txt:1: option index \"1x\" is not a number"},
        {"pick cmbResFrame", "s.txt:1: list entry \"\" is not a number"},
        {"start now", "s.txt:1: unexpected \"now\" after start"},
        {"click a 1 2", "s.txt:1: unexpected \"2\" after click"},
    };
    for (const auto& c : cases) {
        try {
            parseScript(c.text, "s.txt");
            ADD_FAILURE() << c.text << ": no error";
        } catch (const ScriptError& error) {
            EXPECT_EQ(std::string(error.what()).rfind(c.error, 0), 0u)
                << c.text << ": " << error.what();
        }
    }
}

// Runs a script against the headless tool; returns what the run printed, or the error.
std::string run(testing::HeadlessTool& tool, quenor::testing::ScriptedMessageBoxes& boxes,
                const std::string& script) {
    std::ostringstream out;
    try {
        runScript(
            parseScript(script, "s.txt"), "s.txt",
            [&]() -> ui::Quenor* { return tool.start() ? &tool.window() : nullptr; }, boxes, out);
    } catch (const ScriptError& error) {
        return out.str() + "error: " + error.what();
    }
    return out.str();
}

TEST(ToolScript, AppliesAPresetAnsweringTheBoxes) {
    quenor::testing::ScriptedMessageBoxes boxes;
    testing::HeadlessTool tool(testing::HeadlessSetup{.messageBoxes = &boxes});
    const std::string printed = run(tool, boxes,
                                    "start\n"
                                    "click optResolution 0\n"
                                    "answer Yes\n"
                                    "answer Ok\n"
                                    "click btnApplySettings\n"
                                    "close\n");
    EXPECT_EQ(printed, "box: Apply changes?\nbox: All done!\n");
    EXPECT_EQ(tool.registryValue(reg::kCurrentUser, "Software\\Olm\\Quenor", "DeviceWidth"),
              "1280");
    EXPECT_NE(tool.archiveEntry("sgsm3.cfg").find("devicewidth 1280\r\n"), std::string::npos);
}

TEST(ToolScript, AStepThatFailsStopsTheRunNamingItsLine) {
    const struct {
        const char* script;
        const char* printed;
    } cases[] = {
        // The Apply question finds no answer.
        {"start\nclick btnApplySettings\n",
         "box: Apply changes?\nbox: Quenor - operation failed\nerror: s.txt:2: the box "
         "\"Apply changes?\" found no answer in the script"},
        {"start\nclick optResolution 9\n",
         "error: s.txt:2: window 'Quenor' has no control 'optResolution(9)'"},
        {"click btnQuit\n", "error: s.txt:1: start the tool first"},
        {"start\nstart\n", "error: s.txt:2: the tool was started already"},
        {"start\nanswer Yes\nclose\n",
         "error: s.txt: 1 answer(s) left over: the boxes they were for were not shown"},
    };
    for (const auto& c : cases) {
        quenor::testing::ScriptedMessageBoxes boxes;
        testing::HeadlessTool tool(testing::HeadlessSetup{.messageBoxes = &boxes});
        const std::string printed = run(tool, boxes, c.script);
        EXPECT_NE(printed.find(c.printed), std::string::npos) << c.script << "\n" << printed;
        EXPECT_NE(printed.find("error: s.txt:"), std::string::npos) << c.script << "\n" << printed;
    }
}

}  // namespace
}  // namespace quenor::app::script
