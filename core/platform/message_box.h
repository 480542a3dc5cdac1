#pragma once

#include <string>
#include <string_view>

namespace quenor {

enum class MessageButtons { Ok, OkCancel, YesNo, RetryCancel };
enum class MessageIcon { None, Information, Exclamation, Critical };
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry, Closed };

// One modal message box. Lines of the text are joined by a single CR ("\r").
struct MessageBoxRequest {
    std::string title;
    std::string text;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    int defaultButton = 0;  // index of the default button, 0 = first

    friend bool operator==(const MessageBoxRequest&, const MessageBoxRequest&) = default;
};

// Shows message boxes and returns the user's answer; a box closed without a button
// answers Closed.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    virtual MessageAnswer show(const MessageBoxRequest& request) = 0;
    // A passing note that asks nothing ("waiting for another Quenor..."): a terminal prints
    // it; a window need not show it.
    virtual void note(std::string_view text) { (void)text; }
};

}  // namespace quenor
