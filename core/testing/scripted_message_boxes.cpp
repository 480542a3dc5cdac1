#include "core/testing/scripted_message_boxes.h"

#include <stdexcept>
#include <string>

namespace quenor::testing {

namespace {

const char* answerName(MessageAnswer answer) {
    switch (answer) {
        case MessageAnswer::Ok:
            return "Ok";
        case MessageAnswer::Cancel:
            return "Cancel";
        case MessageAnswer::Yes:
            return "Yes";
        case MessageAnswer::No:
            return "No";
        case MessageAnswer::Retry:
            return "Retry";
        case MessageAnswer::Closed:
            return "Closed";
    }
    return "an unknown answer";
}

}  // namespace

bool canAnswer(MessageButtons buttons, MessageAnswer answer) {
    switch (answer) {
        case MessageAnswer::Closed:
            return true;
        case MessageAnswer::Ok:
            return buttons == MessageButtons::Ok || buttons == MessageButtons::OkCancel;
        case MessageAnswer::Cancel:
            return buttons == MessageButtons::OkCancel || buttons == MessageButtons::RetryCancel;
        case MessageAnswer::Retry:
            return buttons == MessageButtons::RetryCancel;
        case MessageAnswer::Yes:
        case MessageAnswer::No:
            return buttons == MessageButtons::YesNo;
    }
    return false;
}

MessageAnswer ScriptedMessageBoxes::show(const MessageBoxRequest& request) {
    shown_.push_back(request);
    if (answers_.empty()) {
        throw std::logic_error("message box '" + request.title +
                               "' was shown but the test queued no answer for it (box " +
                               std::to_string(shown_.size()) + ")");
    }
    const MessageAnswer answer = answers_.front();
    answers_.pop_front();
    if (!canAnswer(request.buttons, answer)) {
        throw std::logic_error("message box '" + request.title + "' cannot be answered " +
                               answerName(answer) + " with its buttons; check the test's script");
    }
    return answer;
}

}  // namespace quenor::testing
