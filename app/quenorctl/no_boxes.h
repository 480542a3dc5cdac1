#pragma once

#include <ostream>
#include <string_view>

#include "core/platform/message_box.h"

namespace quenor::ctl {

// Message boxes for commands that show none (status, restore): a box that is asked for all the
// same is answered as closed, so that a wait for another Quenor gives up after one wait.
// Notes go to `notes` when given.
class NoBoxes final : public MessageBoxes {
  public:
    explicit NoBoxes(std::ostream* notes = nullptr) : notes_(notes) {}
    MessageAnswer show(const MessageBoxRequest&) override { return MessageAnswer::Closed; }
    void note(std::string_view text) override {
        if (notes_) *notes_ << text << '\n' << std::flush;
    }

  private:
    std::ostream* notes_;
};

}  // namespace quenor::ctl
