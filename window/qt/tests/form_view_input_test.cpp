// The view forwards input to the model and redraws from it, over a small generic form.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <string>
#include <vector>

#include "window/qt/form_view.h"
#include "window/testing/form_test_support.h"

namespace quenor::ui::qt {
namespace {

class FormViewInput : public ::testing::Test {
  protected:
    FormViewInput() : form(test_support::makeSmallForm()) {
        form.onOptionClick("optA", [this](int i) { calls.push_back("optA " + std::to_string(i)); });
        form.onOptionClick("optB", [this](int i) { calls.push_back("optB " + std::to_string(i)); });
        form.onClick("lst", [this] { calls.push_back("lst"); });
        form.onClick("lab", [this] { calls.push_back("lab"); });
        form.onClick("btn", [this] { calls.push_back("btn"); });
        view = std::make_unique<FormView>(form, TwipScale(96));
        view->show();
    }
    QRadioButton* option(const char* name, int index) {
        return qobject_cast<QRadioButton*>(view->widgetFor(name, index));
    }
    std::vector<bool> checked(const char* name, int count) {
        std::vector<bool> result;
        for (int i = 0; i < count; ++i) result.push_back(option(name, i)->isChecked());
        return result;
    }

    FormModel form;
    std::unique_ptr<FormView> view;
    std::vector<std::string> calls;
};

TEST_F(FormViewInput, OptionClicksSelectWithinTheirOwnGroupOnly) {
    QTest::mouseClick(option("optA", 1), Qt::LeftButton);
    QTest::mouseClick(option("optB", 0), Qt::LeftButton);
    QTest::mouseClick(option("optA", 2), Qt::LeftButton);
    EXPECT_EQ(checked("optA", 3), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(checked("optB", 2), (std::vector<bool>{true, false}));
    // Clicking the selected member neither unchecks it nor runs the handler again.
    QTest::mouseClick(option("optA", 2), Qt::LeftButton);
    EXPECT_TRUE(option("optA", 2)->isChecked());
    EXPECT_EQ(calls, (std::vector<std::string>{"optA 1", "optB 0", "optA 2"}));
    EXPECT_EQ(form.selectedOption("optA"), 2);
}

TEST_F(FormViewInput, KeyboardSpaceOnAnOptionGoesThroughTheModel) {
    option("optB", 1)->setFocus();
    QTest::keyClick(option("optB", 1), Qt::Key_Space);
    EXPECT_EQ(form.selectedOption("optB"), 1);
    EXPECT_EQ(calls, std::vector<std::string>{"optB 1"});
}

TEST_F(FormViewInput, ChangesFromCodeAreRedrawn) {
    form.selectOption("optA", 0);
    form.setEnabled("fraB", false);
    form.setText("txt", "123456");  // from code the whole text is kept
    form.setSelectedEntry("lst", 2);
    form.setCaption("lab", "new caption");
    EXPECT_TRUE(option("optA", 0)->isChecked());
    EXPECT_FALSE(option("optB", 0)->isEnabled());
    EXPECT_EQ(qobject_cast<QLineEdit*>(view->widgetFor("txt"))->text(), QString("123456"));
    EXPECT_EQ(qobject_cast<QComboBox*>(view->widgetFor("lst"))->currentIndex(), 2);
    EXPECT_EQ(qobject_cast<QLabel*>(view->widgetFor("lab"))->text(), QString("new caption"));
}

TEST_F(FormViewInput, DisabledControlsTakeNoClicks) {
    form.setEnabled("optA", 1, false);
    form.setEnabled("btn", false);
    QTest::mouseClick(option("optA", 1), Qt::LeftButton);
    QTest::mouseClick(view->widgetFor("btn"), Qt::LeftButton);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(form.selectedOption("optA"), -1);
}

TEST_F(FormViewInput, TypingAFifthCharacterIsRefused) {
    auto* box = qobject_cast<QLineEdit*>(view->widgetFor("txt"));
    box->setFocus();
    QTest::keyClicks(box, "12345");
    EXPECT_EQ(box->text(), QString("1234"));
    EXPECT_EQ(form.control("txt").text, "1234");
    // Typing in the middle of a full box is refused too, and the cursor stays put.
    box->setCursorPosition(2);
    QTest::keyClicks(box, "x");
    EXPECT_EQ(box->text(), QString("1234"));
    EXPECT_EQ(box->cursorPosition(), 2);
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, "9");
    EXPECT_EQ(form.control("txt").text, "1934");
    // Four characters of more than one byte each fit.
    box->selectAll();
    for (int i = 0; i < 5; ++i) {
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_Eacute, QString::fromUtf8("\xc3\xa9"),
                            Qt::NoModifier);
    }
    EXPECT_EQ(form.control("txt").text, "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9");
    EXPECT_TRUE(calls.empty());
}

TEST_F(FormViewInput, PickingAListEntryRunsItsHandlerOncePerChange) {
    auto* list = qobject_cast<QComboBox*>(view->widgetFor("lst"));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(form.control("lst").selectedEntry, 1);
    EXPECT_EQ(list->currentIndex(), 1);
    EXPECT_EQ(calls, (std::vector<std::string>{"lst", "lst"}));
}

TEST_F(FormViewInput, LabelAndButtonClicksReachTheirHandlers) {
    QTest::mouseClick(view->widgetFor("lab"), Qt::LeftButton);
    QTest::mouseClick(view->widgetFor("btn"), Qt::LeftButton);
    QTest::mouseClick(view->widgetFor("lab"), Qt::RightButton);
    EXPECT_EQ(calls, (std::vector<std::string>{"lab", "btn"}));
}

}  // namespace
}  // namespace quenor::ui::qt
