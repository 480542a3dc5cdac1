#include "window/form_model.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "window/testing/form_test_support.h"

namespace quenor::ui {
namespace {

using test_support::makeControl;
using test_support::makeSmallForm;

struct RejectedControlCase {
    const char* what;
    std::function<Control()> make;
    const char* messagePart;
    std::function<void(FormModel&)> prepare = [](FormModel&) {};
};

TEST(FormModelBuild, RejectsInconsistentControls) {
    const std::vector<RejectedControlCase> cases = {
        {"same name and index",
         [] { return makeControl(ControlKind::OptionButton, "optA", 1, 50, "fraA"); },
         "name and index exists"},
        {"tab index taken", [] { return makeControl(ControlKind::Label, "labNew", -1, 9); },
         "tab index 9"},
        {"unknown container",
         [] { return makeControl(ControlKind::Label, "labNew", -1, 50, "fraMissing"); },
         "fraMissing"},
        {"container is not a group",
         [] { return makeControl(ControlKind::Label, "labNew", -1, 50, "lab"); }, "'lab'"},
        {"array member of another kind",
         [] { return makeControl(ControlKind::Label, "optA", 3, 50, "fraA"); }, "one kind"},
        {"array name reused outside the array",
         [] { return makeControl(ControlKind::OptionButton, "optA", -1, 50, "fraA"); },
         "inside and outside"},
        {"second selected option in a container",
         [] {
             Control c = makeControl(ControlKind::OptionButton, "optC", 0, 50, "fraA");
             c.selected = true;
             return c;
         },
         "optA(0)", [](FormModel& form) { form.selectOption("optA", 0); }},
        {"selected entry outside the entries",
         [] {
             Control c = makeControl(ControlKind::DropDownList, "lst2", -1, 50);
             c.entries = {"a", "b"};
             c.selectedEntry = 2;
             return c;
         },
         "selected entry"},
        {"negative size",
         [] {
             return makeControl(ControlKind::Label, "labNew", -1, 50, "", {0, 0, -1, 10});
         },
         "negative"},
        {"empty name", [] { return makeControl(ControlKind::Label, "", -1, 50); }, "name"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        FormModel form = makeSmallForm();
        testCase.prepare(form);
        const std::size_t countBefore = form.controls().size();
        try {
            form.addControl(testCase.make());
            ADD_FAILURE() << "control was accepted";
        } catch (const std::invalid_argument& error) {
            EXPECT_NE(std::string(error.what()).find(testCase.messagePart), std::string::npos)
                << error.what();
        }
        EXPECT_EQ(form.controls().size(), countBefore) << "a rejected control must not be kept";
    }
}

TEST(FormModelBuild, RejectsAWindowWithoutArea) {
    EXPECT_THROW(FormModel(WindowLayout{"W", "", 0, 100, {}, true}), std::invalid_argument);
    EXPECT_THROW(FormModel(WindowLayout{"", "", 100, 100, {}, true}), std::invalid_argument);
}

TEST(FormModelLookup, FindsByNameAndIndexAndNamesWhatIsMissing) {
    FormModel form = makeSmallForm();
    EXPECT_EQ(form.control("optA", 2).tabIndex, 4);
    EXPECT_EQ(form.find("optA", 3), nullptr);
    EXPECT_EQ(form.find("optA"), nullptr) << "an array member is not found without its index";
    try {
        form.control("optA", 7);
        ADD_FAILURE() << "no exception";
    } catch (const std::out_of_range& error) {
        EXPECT_NE(std::string(error.what()).find("optA(7)"), std::string::npos);
    }
    EXPECT_EQ(form.arrayIndexes("optA"), (std::vector<int>{0, 1, 2}));
    EXPECT_THROW(form.selectedOption("lab"), std::out_of_range);
}

TEST(FormModelGeometry, AddsContainerOffsetsThroughNestedGroups) {
    FormModel form(WindowLayout{"W", "", 5000, 5000, {}, true});
    form.addControl(makeControl(ControlKind::Group, "outer", -1, 0, "", {100, 200, 3000, 3000}));
    form.addControl(makeControl(ControlKind::Group, "inner", -1, 1, "outer", {30, 40, 1000, 1000}));
    form.addControl(makeControl(ControlKind::Label, "deep", -1, 2, "inner", {5, 6, 10, 10}));
    form.addControl(makeControl(ControlKind::Label, "top", -1, 3, "", {7, 8, 10, 10}));
    EXPECT_EQ(form.absolutePosition(form.control("deep")), (TwipPoint{135, 246}));
    EXPECT_EQ(form.absolutePosition(form.control("top")), (TwipPoint{7, 8}));
}

TEST(FormModelFocus, FirstFocusSkipsLabelsGroupsAndDisabledControls) {
    FormModel form(WindowLayout{"W", "", 5000, 5000, {}, true});
    form.addControl(makeControl(ControlKind::CommandButton, "btnLate", -1, 5));
    form.addControl(makeControl(ControlKind::Label, "lab", -1, 0));
    form.addControl(makeControl(ControlKind::Group, "fra", -1, 1));
    Control disabled = makeControl(ControlKind::TextBox, "txt", -1, 2);
    disabled.enabled = false;
    form.addControl(disabled);
    form.addControl(makeControl(ControlKind::OptionButton, "opt", 0, 3, "fra"));
    form.addControl(makeControl(ControlKind::CommandButton, "btnEarly", -1, 4));

    std::vector<int> tabs;
    for (const Control* control : form.tabOrder()) tabs.push_back(control->tabIndex);
    EXPECT_EQ(tabs, (std::vector<int>{0, 1, 2, 3, 4, 5}));

    EXPECT_EQ(form.firstFocus()->key.name, "opt");
    form.setEnabled("fra", false);  // a disabled group takes its children with it
    EXPECT_EQ(form.firstFocus()->key.name, "btnEarly");
    form.setEnabled("btnEarly", false);
    form.setEnabled("btnLate", false);
    EXPECT_EQ(form.firstFocus(), nullptr);
}

TEST(CharacterCount, CountsUtf8CharactersNotBytes) {
    const std::vector<std::pair<std::string, std::size_t>> cases = {
        {"", 0},
        {"1440", 4},
        {"\xC3\xA9t\xC3\xA9", 3},
        {"\xE2\x82\xAC"
         "1",
         2},
        {"\xF0\x9F\x98\x80", 1},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(characterCount(text), expected) << text;
}

}  // namespace
}  // namespace quenor::ui
