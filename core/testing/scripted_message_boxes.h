#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/message_box.h"

namespace quenor::testing {

// A message-box service for tests: answers each box from a queue of scripted answers
// and records every box shown. A box with no answer queued, or an answer its buttons
// cannot give, throws std::logic_error naming the box, so a test that did not expect
// the box fails loudly instead of running on with a made-up answer.
class ScriptedMessageBoxes : public MessageBoxes {
  public:
    // Queues the answer for the next box not yet answered.
    void expect(MessageAnswer answer) { answers_.push_back(answer); }

    MessageAnswer show(const MessageBoxRequest& request) override;
    void note(std::string_view text) override { notes_.emplace_back(text); }

    // Every box shown, in order, including one that found no answer queued.
    const std::vector<MessageBoxRequest>& shown() const { return shown_; }
    std::size_t pendingAnswers() const { return answers_.size(); }
    // Every note, in order.
    const std::vector<std::string>& notes() const { return notes_; }

  private:
    std::deque<MessageAnswer> answers_;
    std::vector<MessageBoxRequest> shown_;
    std::vector<std::string> notes_;
};

// Whether a box with these buttons can return the answer (Closed always can).
bool canAnswer(MessageButtons buttons, MessageAnswer answer);

}  // namespace quenor::testing
