#include "core/testing/scripted_message_boxes.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace quenor::testing {
namespace {

MessageBoxRequest box(std::string title, MessageButtons buttons) {
    MessageBoxRequest request;
    request.title = std::move(title);
    request.text = "text\rsecond line";
    request.buttons = buttons;
    return request;
}

TEST(ScriptedMessageBoxes, AnswersInOrderAndRecordsEveryBox) {
    ScriptedMessageBoxes boxes;
    boxes.expect(MessageAnswer::No);
    boxes.expect(MessageAnswer::Ok);
    MessageBoxes& service = boxes;
    EXPECT_EQ(service.show(box("Quit Quenor?", MessageButtons::YesNo)), MessageAnswer::No);
    EXPECT_EQ(service.show(box("Help", MessageButtons::Ok)), MessageAnswer::Ok);
    EXPECT_EQ(boxes.pendingAnswers(), 0u);
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0], box("Quit Quenor?", MessageButtons::YesNo));
    EXPECT_EQ(boxes.shown()[1].title, "Help");
}

TEST(ScriptedMessageBoxes, FailsLoudlyOnAnUnexpectedBox) {
    ScriptedMessageBoxes boxes;
    try {
        boxes.show(box("Apply changes?", MessageButtons::YesNo));
        ADD_FAILURE() << "no exception";
    } catch (const std::logic_error& error) {
        EXPECT_NE(std::string(error.what()).find("Apply changes?"), std::string::npos);
    }
    EXPECT_EQ(boxes.shown().size(), 1u) << "the unexpected box is still recorded";
}

TEST(ScriptedMessageBoxes, RefusesAnswersTheButtonsCannotGive) {
    struct Case {
        MessageButtons buttons;
        MessageAnswer answer;
        bool possible;
    };
    const Case cases[] = {
        {MessageButtons::Ok, MessageAnswer::Ok, true},
        {MessageButtons::Ok, MessageAnswer::Yes, false},
        {MessageButtons::Ok, MessageAnswer::Cancel, false},
        {MessageButtons::OkCancel, MessageAnswer::Cancel, true},
        {MessageButtons::OkCancel, MessageAnswer::No, false},
        {MessageButtons::YesNo, MessageAnswer::Yes, true},
        {MessageButtons::YesNo, MessageAnswer::Ok, false},
        {MessageButtons::YesNo, MessageAnswer::Closed, true},
    };
    for (const Case& c : cases) {
        ScriptedMessageBoxes boxes;
        boxes.expect(c.answer);
        if (c.possible) {
            EXPECT_EQ(boxes.show(box("b", c.buttons)), c.answer);
        } else {
            EXPECT_THROW(boxes.show(box("b", c.buttons)), std::logic_error);
        }
    }
}

}  // namespace
}  // namespace quenor::testing
