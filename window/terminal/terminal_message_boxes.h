#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/message_box.h"

namespace quenor::ui::terminal {

// The tool's message boxes on a terminal, for quenorctl. Each box is printed: its title, then
// its text, each CR a line break. A box that asks (Yes/No, OK/Cancel) waits for the answer on
// the input: "y" or "yes" answers Yes (OK), anything else, an empty line or the end of the
// input No (Cancel). With `answerYes` every question is answered Yes (OK) at once, and the
// answer is printed with who gave it (`answeredBy`: "--yes", or "quenorctl run", which answers
// for the launcher). Without a terminal to ask on and without `answerYes`, a question is
// answered No (Cancel), as a player who says nothing would, and is remembered, so that the
// program can say why it changed nothing. A Retry/Cancel box is answered Cancel at once with
// `answerYes` or without a terminal, as a script must not wait without end. A failure box (the
// critical icon) goes to `errors`.
// A box's text for a terminal: each CR (or CR LF) a line break.
std::string terminalLines(std::string_view text);

class TerminalMessageBoxes : public MessageBoxes {
  public:
    TerminalMessageBoxes(std::istream& in, std::ostream& out, std::ostream& errors,
                         bool interactive, bool answerYes, std::string answeredBy = "--yes");

    MessageAnswer show(const MessageBoxRequest& request) override;
    // Printed on `errors`, so that a script's output stays the tool's answer alone.
    void note(std::string_view text) override;

    const std::vector<MessageBoxRequest>& shown() const { return shown_; }
    // The title of the first question answered No for want of a terminal.
    const std::optional<std::string>& unasked() const { return unasked_; }
    // A failure box (a step that failed) was shown.
    bool failed() const { return failed_; }

  private:
    MessageAnswer askRetry();

    std::istream& in_;
    std::ostream& out_;
    std::ostream& errors_;
    bool interactive_;
    bool answerYes_;
    std::string answeredBy_;
    std::vector<MessageBoxRequest> shown_;
    std::optional<std::string> unasked_;
    bool failed_ = false;
};

}  // namespace quenor::ui::terminal
