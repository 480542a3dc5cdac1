#include "window/qt/qt_message_boxes.h"

#include <gtest/gtest.h>

#include <QMessageBox>
#include <algorithm>
#include <vector>

#include "window/qt/tests/box_answerer.h"

namespace quenor::ui::qt {
namespace {

using testing::BoxAnswerer;
using SB = QMessageBox::StandardButton;

TEST(QtMessageBoxes, ButtonsDefaultsAndAnswers) {
    struct Case {
        MessageButtons buttons;
        int defaultButton;
        SB press;
        std::vector<SB> shownButtons;
        SB shownDefault;
        MessageAnswer answer;
    };
    const Case cases[] = {
        {MessageButtons::Ok, 0, SB::Ok, {SB::Ok}, SB::Ok, MessageAnswer::Ok},
        {MessageButtons::OkCancel, 0, SB::Ok, {SB::Ok, SB::Cancel}, SB::Ok, MessageAnswer::Ok},
        {MessageButtons::OkCancel,
         1,
         SB::Cancel,
         {SB::Ok, SB::Cancel},
         SB::Cancel,
         MessageAnswer::Cancel},
        {MessageButtons::YesNo, 0, SB::Yes, {SB::Yes, SB::No}, SB::Yes, MessageAnswer::Yes},
        {MessageButtons::YesNo, 0, SB::No, {SB::Yes, SB::No}, SB::Yes, MessageAnswer::No},
        {MessageButtons::YesNo, 1, SB::Yes, {SB::Yes, SB::No}, SB::No, MessageAnswer::Yes},
        // A default index past the buttons falls back to the first button.
        {MessageButtons::YesNo, 7, SB::No, {SB::Yes, SB::No}, SB::Yes, MessageAnswer::No},
        {MessageButtons::Ok, -1, SB::Ok, {SB::Ok}, SB::Ok, MessageAnswer::Ok},
        {MessageButtons::RetryCancel,
         0,
         SB::Retry,
         {SB::Retry, SB::Cancel},
         SB::Retry,
         MessageAnswer::Retry},
    };
    for (const Case& c : cases) {
        BoxAnswerer answerer;
        answerer.press(c.press);
        QtMessageBoxes boxes;
        const MessageAnswer answer = boxes.show(
            MessageBoxRequest{"Title", "Text", c.buttons, MessageIcon::None, c.defaultButton});
        EXPECT_EQ(answer, c.answer);
        ASSERT_EQ(answerer.seen().size(), 1u);
        std::vector<SB> shown = answerer.seen()[0].buttons;
        std::sort(shown.begin(), shown.end());
        std::vector<SB> expected = c.shownButtons;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(shown, expected);
        EXPECT_EQ(answerer.seen()[0].defaultButton, c.shownDefault);
        EXPECT_TRUE(answerer.seen()[0].applicationModal);
    }
}

TEST(QtMessageBoxes, ClosingTheBoxAnswersClosedEscapePressesTheEscapeButton) {
    struct Case {
        MessageButtons buttons;
        bool escape;
        MessageAnswer answer;
    };
    const Case cases[] = {
        {MessageButtons::YesNo, false, MessageAnswer::Closed},
        {MessageButtons::Ok, false, MessageAnswer::Closed},
        {MessageButtons::OkCancel, false, MessageAnswer::Closed},
        {MessageButtons::YesNo, true, MessageAnswer::No},
        {MessageButtons::OkCancel, true, MessageAnswer::Cancel},
        {MessageButtons::Ok, true, MessageAnswer::Ok},
    };
    for (const Case& c : cases) {
        BoxAnswerer answerer;
        if (c.escape) {
            answerer.pressEscape();
        } else {
            answerer.closeBox();
        }
        QtMessageBoxes boxes;
        EXPECT_EQ(boxes.show(MessageBoxRequest{"T", "x", c.buttons, MessageIcon::None, 0}),
                  c.answer)
            << static_cast<int>(c.buttons) << (c.escape ? " escape" : " closed");
    }
}

TEST(QtMessageBoxes, TitleIconAndTextWithLineBreaks) {
    struct Case {
        MessageIcon icon;
        QMessageBox::Icon shown;
    };
    const Case cases[] = {{MessageIcon::None, QMessageBox::NoIcon},
                          {MessageIcon::Information, QMessageBox::Information},
                          {MessageIcon::Exclamation, QMessageBox::Warning},
                          {MessageIcon::Critical, QMessageBox::Critical}};
    for (const Case& c : cases) {
        BoxAnswerer answerer;
        answerer.press(SB::Ok);
        QtMessageBoxes boxes;
        boxes.show(MessageBoxRequest{"About <b>it</b>...",
                                     "line one \rline two\r\r<b>not bold</b> & more",
                                     MessageButtons::Ok, c.icon, 0});
        ASSERT_EQ(answerer.seen().size(), 1u);
        const testing::SeenBox& seen = answerer.seen()[0];
        EXPECT_EQ(seen.icon, c.shown);
        EXPECT_EQ(seen.title, QString("About <b>it</b>..."));
        // Blanks at line ends survive, an empty line stays, markup is shown as typed.
        EXPECT_EQ(seen.text, QString("line one \nline two\n\n<b>not bold</b> & more"));
        EXPECT_TRUE(seen.plainText);
    }
}

TEST(QtMessageBoxes, CrLfBecomesOneLineBreak) {
    EXPECT_EQ(boxText("a\r\nb\rc\n"), QString("a\nb\nc\n"));
    EXPECT_EQ(boxText(""), QString());
}

}  // namespace
}  // namespace quenor::ui::qt
