#include "window/quenor_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace quenor::ui {
namespace {

using K = ControlKind;

// "Arial 8.25 b i u" (bold, italic, underline flags), "default" for the window font.
std::string fontText(const std::optional<Font>& font) {
    if (!font) return "default";
    std::ostringstream out;
    out << font->name << ' ' << font->points << (font->bold ? " b" : "")
        << (font->italic ? " i" : "") << (font->underline ? " u" : "");
    return out.str();
}

struct Row {
    const char* name;
    int index;
    K kind;
    const char* container;
    const char* caption;
    TwipRect bounds;
    const char* font;
    int tab;
};

const char* const kWarning =
    "WARNING: Use at your own risk. Make sure the selected resolution is supported by your "
    "hardware (video card and monitor).";

// clang-format off
const std::vector<Row> kExpected = {
    {"Label1", -1, K::Label, "", "Quenor - Widescreen for NHL 09", {240, 120, 4575, 375}, "Arial 14.25 b i", 1},
    {"labQuenorver", -1, K::Label, "", "v", {4920, 180, 975, 255}, "Arial 11.25 b i", 25},
    {"Label3", -1, K::Label, "", kWarning, {240, 600, 5655, 495}, "Arial 8.25 b", 2},
    {"fraResolution", -1, K::Group, "", "", {360, 1560, 5655, 1695}, "Arial 8.25", 17},
    {"txtResWidth", -1, K::TextBox, "", "", {3840, 2400, 735, 315}, "Arial 8.25", 34},
    {"txtResHeight", -1, K::TextBox, "", "", {4920, 2400, 735, 315}, "Arial 8.25", 32},
    {"fraVSYNC", -1, K::Group, "", "", {360, 3480, 1575, 495}, "Arial 8.25", 4},
    {"fraFPSBoost", -1, K::Group, "", "", {360, 4320, 5655, 495}, "Arial 8.25", 8},
    {"fraQuenorLogging", -1, K::Group, "", "", {360, 5040, 5655, 495}, "Arial 8.25", 26},
    {"btnApplySettings", -1, K::CommandButton, "", "Apply Settings", {360, 5880, 1335, 375}, "Arial 8.25", 0},
    {"btnSetDefaults", -1, K::CommandButton, "", "Reset all Settings to Defaults", {1920, 5880, 2415, 375}, "Arial 8.25", 3},
    {"btnQuit", -1, K::CommandButton, "", "Quit", {4560, 5880, 1335, 375}, "Arial 8.25", 24},
    {"Label2", -1, K::Label, "fraResolution", "Widescreen Resolution", {0, 0, 3615, 255}, "Arial 8.25 b", 22},
    {"labMoreResolution", -1, K::Label, "fraResolution", "More Info", {2160, 0, 735, 255}, "Arial 8.25 u", 23},
    {"optResolution", 0, K::OptionButton, "fraResolution", "1280x800", {0, 360, 1215, 255}, "Arial 8.25", 21},
    {"optResolution", 2, K::OptionButton, "fraResolution", "1024x768 (Default)", {1440, 360, 1695, 255}, "Arial 8.25", 18},
    {"optResolution", 4, K::OptionButton, "fraResolution", "User Defined", {3360, 360, 1335, 255}, "Arial 8.25", 40},
    {"labMoreInfoResFrame", -1, K::Label, "fraResolution", "More Info", {4800, 360, 735, 255}, "Arial 8.25 u", 38},
    {"Label8", -1, K::Label, "fraResolution", "width", {3480, 675, 375, 135}, "Arial 6.75", 35},
    {"Label9", -1, K::Label, "fraResolution", "height", {4560, 675, 375, 255}, "Arial 6.75", 36},
    {"optResolution", 1, K::OptionButton, "fraResolution", "1600x1000", {0, 840, 1215, 255}, "Arial 8.25", 20},
    {"optResolution", 3, K::OptionButton, "fraResolution", "No Change", {1440, 840, 1095, 255}, "Arial 8.25", 19},
    {"Label5", -1, K::Label, "fraResolution", "X", {4320, 900, 135, 255}, "Arial 9 b", 33},
    {"Label10", -1, K::Label, "fraResolution", "Resolution Frame", {3480, 1155, 1335, 135}, "Arial 6.75", 39},
    {"lstResFrame", -1, K::DropDownList, "fraResolution", "", {3480, 1320, 1815, 330}, "Arial 8.25", 37},
    {"Label4", -1, K::Label, "fraVSYNC", "VSYNC", {0, 0, 615, 255}, "Arial 8.25 b", 7},
    {"labMoreInfoVSYNC", -1, K::Label, "fraVSYNC", "More Info", {720, 0, 735, 255}, "Arial 8.25 u", 15},
    {"optVSYNC", 0, K::OptionButton, "fraVSYNC", "ON", {0, 240, 735, 255}, "Arial 8.25", 6},
    {"optVSYNC", 1, K::OptionButton, "fraVSYNC", "OFF", {720, 240, 735, 255}, "Arial 8.25", 5},
    {"Label6", -1, K::Label, "fraFPSBoost", "FPS Boost", {0, 0, 975, 255}, "Arial 8.25 b", 14},
    {"labMoreInfoFPS", -1, K::Label, "fraFPSBoost", "More Info", {1080, 0, 735, 255}, "Arial 8.25 u", 16},
    {"optFPSboost", 0, K::OptionButton, "fraFPSBoost", "OFF", {0, 240, 735, 255}, "Arial 8.25", 13},
    {"optFPSboost", 1, K::OptionButton, "fraFPSBoost", "Low", {840, 240, 735, 255}, "Arial 8.25", 12},
    {"optFPSboost", 2, K::OptionButton, "fraFPSBoost", "Med", {1680, 240, 735, 255}, "Arial 8.25", 11},
    {"optFPSboost", 3, K::OptionButton, "fraFPSBoost", "High", {2520, 240, 735, 255}, "Arial 8.25", 10},
    {"optFPSboost", 4, K::OptionButton, "fraFPSBoost", "Extreme", {3360, 240, 1095, 255}, "Arial 8.25", 9},
    {"Label7", -1, K::Label, "fraQuenorLogging", "Quenor Logging", {0, 0, 1455, 255}, "Arial 8.25 b", 28},
    {"labQuenorLogging", -1, K::Label, "fraQuenorLogging", "More Info", {1560, 0, 735, 255}, "Arial 8.25 u", 27},
    {"optQuenorLogging", 0, K::OptionButton, "fraQuenorLogging", "ON", {0, 240, 615, 255}, "Arial 8.25", 29},
    {"optQuenorLogging", 1, K::OptionButton, "fraQuenorLogging", "OFF", {840, 240, 615, 255}, "Arial 8.25", 30},
    {"btnDeleteQuenorlog", -1, K::CommandButton, "fraQuenorLogging", "Delete log file", {1560, 240, 1215, 255}, "default", 31},
};
// clang-format on

TEST(QuenorLayout, EveryControlIsExact) {
    const FormModel form = buildQuenorForm();
    EXPECT_EQ(form.window().name, "Quenor");
    EXPECT_EQ(form.window().caption, "Quenor v1.0");
    EXPECT_EQ(form.window().clientWidth, 6300);
    EXPECT_EQ(form.window().clientHeight, 6465);
    EXPECT_EQ(form.window().icon, (WindowIcon{32, 32, 16}));

    ASSERT_EQ(form.controls().size(), kExpected.size());
    ASSERT_EQ(kExpected.size(), 41u);
    for (const Row& row : kExpected) {
        SCOPED_TRACE(describe(ControlKey{row.name, row.index}));
        const Control* control = form.find(row.name, row.index);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->kind, row.kind);
        EXPECT_EQ(control->container, row.container);
        EXPECT_EQ(control->caption, row.caption);
        EXPECT_EQ(control->bounds, row.bounds);
        EXPECT_EQ(fontText(control->font), row.font);
        EXPECT_EQ(control->tabIndex, row.tab);
    }
}

TEST(QuenorLayout, TabOrderAndFirstFocus) {
    const FormModel form = buildQuenorForm();
    std::vector<int> tabs;
    for (const Control* control : form.tabOrder()) tabs.push_back(control->tabIndex);
    std::vector<int> expected(41);
    for (int i = 0; i < 41; ++i) expected[static_cast<std::size_t>(i)] = i;
    EXPECT_EQ(tabs, expected) << "tab indexes 0..40, each exactly once";
    ASSERT_NE(form.firstFocus(), nullptr);
    EXPECT_EQ(form.firstFocus()->key.name, "btnApplySettings");
}

TEST(QuenorLayout, OptionArraysTagsAndListEntries) {
    const FormModel form = buildQuenorForm();
    const std::map<std::string, std::vector<std::string>> tags = {
        {"optResolution", {"sgsm3.cfg", "sgsm4.cfg", "sgsm2.cfg", "default", "custom"}},
        {"optVSYNC", {"true", "false"}},
        {"optFPSboost", {"250", "200", "150", "100", "50"}},
        {"optQuenorLogging", {"true", "false"}},
    };
    std::size_t optionCount = 0;
    for (const Control& control : form.controls()) {
        if (control.kind == K::OptionButton) ++optionCount;
    }
    EXPECT_EQ(optionCount, 14u) << "no option button outside the four arrays";
    for (const auto& [array, expectedTags] : tags) {
        SCOPED_TRACE(array);
        const std::vector<int> indexes = form.arrayIndexes(array);
        ASSERT_EQ(indexes.size(), expectedTags.size());
        std::set<std::string> containers;
        for (std::size_t i = 0; i < indexes.size(); ++i) {
            EXPECT_EQ(indexes[i], static_cast<int>(i)) << "indexes contiguous from 0";
            const Control& option = form.control(array, indexes[i]);
            EXPECT_EQ(option.tag, expectedTags[i]);
            EXPECT_EQ(option.textColour, TextColour::systemWindowText());
            containers.insert(option.container);
        }
        EXPECT_EQ(containers.size(), 1u) << "an array lives in one group";
    }

    const Control& list = form.control("lstResFrame");
    EXPECT_EQ(list.entries, (std::vector<std::string>{"Select a frame size", "800 x 600",
                                                      "1024 x 768", "1280 x 1024", "1600 x 1200"}));
}

TEST(QuenorLayout, ColoursAndHelpLinks) {
    const FormModel form = buildQuenorForm();
    const std::set<std::string> links = {"labMoreResolution", "labMoreInfoResFrame",
                                         "labMoreInfoVSYNC", "labMoreInfoFPS", "labQuenorLogging"};
    for (const Control& control : form.controls()) {
        SCOPED_TRACE(describe(control.key));
        const bool isLink = links.contains(control.key.name);
        EXPECT_EQ(control.helpLink, isLink);
        if (isLink) {
            EXPECT_EQ(control.textColour, TextColour::fixed({0, 0, 255}));
        } else if (control.key.name == "Label3") {
            EXPECT_EQ(control.textColour, TextColour::fixed({192, 0, 0}));
        } else if (control.kind != K::OptionButton) {
            EXPECT_EQ(control.textColour, TextColour::platformDefault());
        }
    }
}

TEST(QuenorLayout, StartState) {
    const FormModel form = buildQuenorForm();
    for (const Control& control : form.controls()) {
        SCOPED_TRACE(describe(control.key));
        EXPECT_FALSE(control.selected);
        const bool userDefinedOnly = control.key.name == "txtResWidth" ||
                                     control.key.name == "txtResHeight" ||
                                     control.key.name == "lstResFrame";
        EXPECT_EQ(control.enabled, !userDefinedOnly);
        if (control.kind == K::TextBox) {
            EXPECT_EQ(control.text, "");
            EXPECT_EQ(control.maxLength, 4);
        }
    }
    EXPECT_EQ(form.control("lstResFrame").selectedEntry, -1);
    // The size boxes belong to the window but sit over the resolution group.
    const Control& group = form.control("fraResolution");
    const Control& width = form.control("txtResWidth");
    EXPECT_EQ(width.bounds.left - group.bounds.left, 3480);
    EXPECT_EQ(width.bounds.top - group.bounds.top, 840);
    EXPECT_EQ(form.absolutePosition(form.control("lstResFrame")), (TwipPoint{3840, 2880}));
}

TEST(QuenorLayout, UserDefinedBoxesRefuseAFifthCharacter) {
    FormModel form = buildQuenorForm();
    for (const char* box : {"txtResWidth", "txtResHeight"}) {
        SCOPED_TRACE(box);
        EXPECT_FALSE(form.userEditText(box, "1")) << "disabled at start";
        form.setEnabled(box, true);
        EXPECT_TRUE(form.userEditText(box, "1440"));
        EXPECT_FALSE(form.userEditText(box, "14400"));
        EXPECT_EQ(form.control(box).text, "1440");
    }
}

}  // namespace
}  // namespace quenor::ui
