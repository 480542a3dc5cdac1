#include "window/terminal/terminal_message_boxes.h"

#include <istream>
#include <ostream>

#include "lib/base/ascii.h"

namespace quenor::ui::terminal {

namespace {

// The box's text with its line breaks (a CR each) as the terminal's, each line indented.
std::string linesOf(const std::string& text) {
    std::string out = "  ";
    for (char c : text) {
        if (c == '\r') {
            out += "\n  ";
        } else {
            out += c;
        }
    }
    return out + "\n";
}

}  // namespace

std::string terminalLines(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
            continue;
        }
        out += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    return out;
}

TerminalMessageBoxes::TerminalMessageBoxes(std::istream& in, std::ostream& out,
                                           std::ostream& errors, bool interactive, bool answerYes,
                                           std::string answeredBy)
    : in_(in),
      out_(out),
      errors_(errors),
      interactive_(interactive),
      answerYes_(answerYes),
      answeredBy_(std::move(answeredBy)) {}

MessageAnswer TerminalMessageBoxes::show(const MessageBoxRequest& request) {
    shown_.push_back(request);
    const bool failure = request.icon == MessageIcon::Critical;
    failed_ = failed_ || failure;
    std::ostream& to = failure ? errors_ : out_;
    to << request.title << '\n' << linesOf(request.text);
    if (request.buttons == MessageButtons::Ok) {
        to.flush();
        return MessageAnswer::Ok;
    }
    if (request.buttons == MessageButtons::RetryCancel) return askRetry();
    const bool yesNo = request.buttons == MessageButtons::YesNo;
    const MessageAnswer yes = yesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    const MessageAnswer no = yesNo ? MessageAnswer::No : MessageAnswer::Cancel;
    out_ << (yesNo ? "Yes or no? [y/N] " : "OK or cancel? [y/N] ");
    if (answerYes_) {
        out_ << "y (" << answeredBy_ << ")\n" << std::flush;
        return yes;
    }
    if (!interactive_) {
        out_ << "n (no terminal to ask on)\n" << std::flush;
        if (!unasked_) unasked_ = request.title;
        return no;
    }
    out_.flush();
    std::string answer;
    if (!std::getline(in_, answer)) {
        out_ << '\n';
        return no;
    }
    while (!answer.empty() && (answer.back() == ' ' || answer.back() == '\r')) answer.pop_back();
    answer = base::asciiLowered(answer);
    return answer == "y" || answer == "yes" ? yes : no;
}

// A script or a launcher must not wait without end: only a player at the terminal retries.
MessageAnswer TerminalMessageBoxes::askRetry() {
    out_ << "Retry or cancel? [r/C] ";
    if (answerYes_ || !interactive_) {
        out_ << "c (" << (answerYes_ ? answeredBy_ : std::string("no terminal"))
             << ": no longer wait)\n"
             << std::flush;
        return MessageAnswer::Cancel;
    }
    out_.flush();
    std::string answer;
    if (!std::getline(in_, answer)) {
        out_ << '\n';
        return MessageAnswer::Cancel;
    }
    while (!answer.empty() && (answer.back() == ' ' || answer.back() == '\r')) answer.pop_back();
    answer = base::asciiLowered(answer);
    return answer == "r" || answer == "retry" ? MessageAnswer::Retry : MessageAnswer::Cancel;
}

void TerminalMessageBoxes::note(std::string_view text) {
    errors_ << text << '\n' << std::flush;
}

}  // namespace quenor::ui::terminal
