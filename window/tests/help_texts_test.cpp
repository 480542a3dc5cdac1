#include "window/help_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quenor::ui {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines(1);
    for (char c : text) {
        if (c == '\r') {
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

TEST(HelpTexts, TitlesLineBreaksAndBoxStyle) {
    struct Case {
        const char* label;
        HelpTopic topic;
        const char* title;
        long carriageReturns;
        std::vector<std::size_t> emptyLines;  // 1-based
    };
    const std::vector<Case> cases = {
        {"labMoreResolution",
         HelpTopic::WidescreenResolution,
         "About the Widescreen Resolution option...",
         8,
         {6}},
        {"labMoreInfoResFrame", HelpTopic::FrameSize, "About the Frame Size list...", 12, {4, 9}},
        {"labMoreInfoVSYNC", HelpTopic::Vsync, "About the VSYNC option...", 11, {5, 9}},
        {"labMoreInfoFPS", HelpTopic::FpsBoost, "About the FPS Boost option...", 12, {7, 11}},
        {"labQuenorLogging", HelpTopic::Logging, "About the Quenor Logging option...", 10, {4, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        ASSERT_EQ(helpTopicOfLabel(c.label), c.topic);
        const MessageBoxRequest box = helpMessage(c.topic);
        EXPECT_EQ(box.title, c.title);
        EXPECT_EQ(box.buttons, MessageButtons::Ok);
        EXPECT_EQ(box.icon, MessageIcon::Information);
        EXPECT_EQ(box.defaultButton, 0);
        EXPECT_EQ(std::count(box.text.begin(), box.text.end(), '\r'), c.carriageReturns);
        EXPECT_EQ(box.text.find('\n'), std::string::npos);
        ASSERT_FALSE(box.text.empty());
        EXPECT_NE(box.text.front(), '\r');
        EXPECT_NE(box.text.back(), '\r');

        const std::vector<std::string> lines = linesOf(box.text);
        std::vector<std::size_t> empty;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].empty()) empty.push_back(i + 1);
        }
        EXPECT_EQ(empty, c.emptyLines);
    }
    EXPECT_EQ(helpTopicOfLabel("Label2"), std::nullopt);
    EXPECT_EQ(helpTopicOfLabel("labmoreresolution"), std::nullopt);
}

TEST(HelpTexts, BlanksAtLineEndsAndExactLinesSurvive) {
    const std::string widescreen = helpMessage(HelpTopic::WidescreenResolution).text;
    EXPECT_NE(widescreen.find("at this time. \r\rIMPORTANT"), std::string::npos);
    EXPECT_EQ(linesOf(widescreen)[3], "do not");

    const std::vector<std::string> logging = linesOf(helpMessage(HelpTopic::Logging).text);
    EXPECT_EQ(logging[7], " to diagnose. ");
    EXPECT_EQ(logging[4], "Setting this option to OFF (not recommended) will stop logging ");

    const std::vector<std::string> fps = linesOf(helpMessage(HelpTopic::FpsBoost).text);
    EXPECT_EQ(fps[1], "Reducing the value of the 'On-Play Player Details' increases the ");
    EXPECT_EQ(fps[11],
              "WARNING: Using the in-game 'On-Play Player Details' options will override the "
              "changes");

    const std::vector<std::string> vsync = linesOf(helpMessage(HelpTopic::Vsync).text);
    EXPECT_EQ(vsync[7], "or other visual anomalies during gameplay. ");

    const std::vector<std::string> frame = linesOf(helpMessage(HelpTopic::FrameSize).text);
    EXPECT_EQ(frame[11], "if you monitor has a'Fill' display mode, if so, use it instead");
}

}  // namespace
}  // namespace quenor::ui
