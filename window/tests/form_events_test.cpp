#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "window/form_model.h"
#include "window/testing/form_test_support.h"

namespace quenor::ui {
namespace {

using test_support::makeControl;
using test_support::makeSmallForm;

class FormEvents : public ::testing::Test {
  protected:
    void SetUp() override {
        form.onOptionClick("optA", [this](int i) { trace.push_back("optA " + std::to_string(i)); });
        form.onOptionClick("optB", [this](int i) { trace.push_back("optB " + std::to_string(i)); });
        form.onClick("lst", [this] { trace.push_back("lst"); });
        form.onClick("lab", [this] { trace.push_back("lab"); });
        form.onClick("btn", [this] { trace.push_back("btn"); });
    }

    std::vector<std::string> selectedOf(const std::string& container) const {
        std::vector<std::string> selected;
        for (const Control& control : form.controls()) {
            if (control.container == container && control.selected) {
                selected.push_back(describe(control.key));
            }
        }
        return selected;
    }

    FormModel form = makeSmallForm();
    std::vector<std::string> trace;
};

TEST_F(FormEvents, SelectionFromCodeRunsNestedHandlersToTheirEndFirst) {
    // optA's handler selects in optB and sets the list from code; optB's handler itself
    // changes the list. Each nested handler must finish before the next statement.
    form.onOptionClick("optA", [this](int i) {
        trace.push_back("optA " + std::to_string(i) + " start");
        form.selectOption("optB", 1);
        trace.push_back("optA after optB, list=" +
                        std::to_string(form.control("lst").selectedEntry));
        form.setSelectedEntry("lst", 0);
        trace.push_back("optA end");
    });
    form.onOptionClick("optB", [this](int i) {
        trace.push_back("optB " + std::to_string(i) + " start");
        form.setSelectedEntry("lst", 2);
        trace.push_back("optB end");
    });

    form.selectOption("optA", 2);
    trace.push_back("caller resumes");

    EXPECT_EQ(trace, (std::vector<std::string>{"optA 2 start", "optB 1 start", "lst", "optB end",
                                               "optA after optB, list=2", "lst", "optA end",
                                               "caller resumes"}));
}

TEST_F(FormEvents, ExclusionIsPerContainer) {
    form.selectOption("optA", 0);
    form.selectOption("optB", 1);
    form.selectOption("optA", 2);
    EXPECT_EQ(selectedOf("fraA"), (std::vector<std::string>{"optA(2)"}));
    EXPECT_EQ(selectedOf("fraB"), (std::vector<std::string>{"optB(1)"}));
    EXPECT_EQ(form.selectedOption("optA"), 2);
    EXPECT_EQ(trace, (std::vector<std::string>{"optA 0", "optB 1", "optA 2"}));
}

TEST_F(FormEvents, ChangesThatRunNoHandler) {
    form.selectOption("optA", 1);
    form.setSelectedEntry("lst", 1);
    trace.clear();

    form.selectOption("optA", 1);  // already selected
    form.setSelectedEntry("lst", 1);
    form.setText("txt", "12345");  // code may set more than the user may type
    form.setEnabled("txt", false);
    form.setEnabled("optA", 0, false);
    form.setEnabled("lst", false);
    form.setCaption("lab", "new caption");
    EXPECT_TRUE(trace.empty()) << trace.front();
    EXPECT_EQ(form.control("txt").text, "12345");

    // Disabled members can still be selected from code, and that runs the handler.
    form.selectOption("optA", 0);
    form.setSelectedEntry("lst", -1);
    EXPECT_EQ(trace, (std::vector<std::string>{"optA 0", "lst"}));
}

TEST_F(FormEvents, UserOptionClicks) {
    EXPECT_TRUE(form.userClickOption("optA", 1));
    EXPECT_FALSE(form.userClickOption("optA", 1)) << "re-clicking the selected member";
    form.setEnabled("optA", 2, false);
    EXPECT_FALSE(form.userClickOption("optA", 2));
    form.setEnabled("fraB", false);
    EXPECT_FALSE(form.userClickOption("optB", 0)) << "the member's group is disabled";
    EXPECT_EQ(trace, (std::vector<std::string>{"optA 1"}));
    EXPECT_EQ(form.selectedOption("optA"), 1);
    EXPECT_EQ(form.selectedOption("optB"), -1);
}

TEST_F(FormEvents, UserListPicks) {
    EXPECT_TRUE(form.userPickEntry("lst", 2));
    EXPECT_FALSE(form.userPickEntry("lst", 2));
    form.setEnabled("lst", false);
    EXPECT_FALSE(form.userPickEntry("lst", 1));
    EXPECT_EQ(form.control("lst").selectedEntry, 2);
    EXPECT_EQ(trace, (std::vector<std::string>{"lst"}));
    EXPECT_THROW(form.userPickEntry("lst", 3), std::out_of_range);
    EXPECT_THROW(form.userPickEntry("lst", -1), std::out_of_range);
    EXPECT_THROW(form.setSelectedEntry("lst", 3), std::out_of_range);
}

TEST_F(FormEvents, UserTextIsLimitedToTheMaximumLength) {
    struct Case {
        std::string typed;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"1", true},      {"1440", true}, {"14400", false},
        {"", true},       {"abcd", true}, {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", true},
        {"    x", false},
    };
    for (const auto& [typed, accepted] : cases) {
        const std::string before = form.control("txt").text;
        EXPECT_EQ(form.userEditText("txt", typed), accepted) << typed;
        EXPECT_EQ(form.control("txt").text, accepted ? typed : before) << typed;
    }
    form.setText("txt", "900");
    form.setEnabled("txt", false);
    EXPECT_FALSE(form.userEditText("txt", "1"));
    EXPECT_EQ(form.control("txt").text, "900");
    EXPECT_TRUE(trace.empty());
}

TEST_F(FormEvents, UserClicksOnLabelsButtonsAndGroups) {
    form.setEnabled("btn", false);
    form.setEnabled("lab", false);
    EXPECT_FALSE(form.userClick("btn"));
    EXPECT_TRUE(form.userClick("lab")) << "labels take clicks whatever their state";
    EXPECT_FALSE(form.userClick("fraA"));
    form.setEnabled("btn", true);
    EXPECT_TRUE(form.userClick("btn"));
    EXPECT_EQ(trace, (std::vector<std::string>{"lab", "btn"}));

    form.onClick("btn", nullptr);
    EXPECT_FALSE(form.userClick("btn")) << "no handler left";
    EXPECT_THROW(form.userClick("txt"), std::logic_error);
    EXPECT_THROW(form.userClick("optA"), std::out_of_range);
}

TEST_F(FormEvents, HandlerRegistrationChecksTheControl) {
    EXPECT_THROW(form.onClick("txt", [] {}), std::logic_error);
    EXPECT_THROW(form.onClick("fraA", [] {}), std::logic_error);
    EXPECT_THROW(form.onClick("missing", [] {}), std::out_of_range);
    EXPECT_THROW(form.onOptionClick("lst", [](int) {}), std::out_of_range);
    EXPECT_THROW(form.selectOption("lst", -1), std::logic_error);
    EXPECT_THROW(form.setText("lab", "x"), std::logic_error);
}

TEST_F(FormEvents, ObserversSeeEveryChangeBeforeTheHandler) {
    std::vector<std::string> seen;
    const auto id = form.subscribe([&](const Control& control) {
        std::string state = describe(control.key);
        if (control.kind == ControlKind::OptionButton) state += control.selected ? "=on" : "=off";
        if (control.kind == ControlKind::TextBox) state += "=" + control.text;
        if (!control.enabled) state += " disabled";
        seen.push_back(state);
        trace.push_back("observed " + state);
    });

    form.selectOption("optA", 0);
    form.selectOption("optA", 1);
    form.setText("txt", "12");
    form.setText("txt", "12");  // no change, no notice
    form.setEnabled("txt", false);
    form.setCaption("lab", "caption");
    form.setSelectedEntry("lst", 1);
    EXPECT_EQ(seen, (std::vector<std::string>{"optA(0)=on", "optA(0)=off", "optA(1)=on", "txt=12",
                                              "txt=12 disabled", "lab", "lst"}));
    EXPECT_EQ(trace[0], "observed optA(0)=on");
    EXPECT_EQ(trace[1], "optA 0");

    form.unsubscribe(id);
    form.selectOption("optA", 2);
    EXPECT_EQ(seen.size(), 7u);
}

TEST_F(FormEvents, HandlersMayReplaceThemselvesButNotAddControls) {
    form.onClick("btn", [this] {
        form.onClick("btn", [this] { trace.push_back("second"); });
        trace.push_back("first");
    });
    form.userClick("btn");
    form.userClick("btn");
    EXPECT_EQ(trace, (std::vector<std::string>{"first", "second"}));

    form.onClick("lab", [this] { form.addControl(makeControl(ControlKind::Label, "x", -1, 99)); });
    EXPECT_THROW(form.userClick("lab"), std::logic_error);
    form.onClick("lab", nullptr);
    EXPECT_NO_THROW(form.addControl(makeControl(ControlKind::Label, "x", -1, 99)))
        << "the model must be usable again after a handler threw";
}

}  // namespace
}  // namespace quenor::ui
