#include "app/quenorctl/change_report.h"

#include <ostream>

#include "app/quenorctl/quenorctl.h"
#include "window/quenor_window.h"
#include "window/terminal/terminal_message_boxes.h"

namespace quenor::ctl {

int reportChange(std::optional<patching::ChangeOutcome> recorded,
                 const std::vector<MessageBoxRequest>& shown, const std::string& refusedBecause,
                 std::ostream& err, const ChangeReport& report) {
    using patching::ChangeOutcome;
    const ChangeOutcome outcome = recorded.value_or(ChangeOutcome::Failed);
    const MessageBoxRequest* last = shown.empty() ? nullptr : &shown.back();
    switch (outcome) {
        case ChangeOutcome::Done:
            return kDone;
        case ChangeOutcome::Declined:
            err << "quenorctl: the answer was no; nothing was changed.\n";
            return kFailed;
        case ChangeOutcome::InvalidValues:
        case ChangeOutcome::GameNotFound:
            // Its box said why; the game's own validation text does not say what followed.
            if (last) {
                err << "quenorctl: " << last->title << ": "
                    << ui::terminal::terminalLines(last->text)
                    << (outcome == ChangeOutcome::InvalidValues ? " Nothing was changed." : "")
                    << '\n';
            }
            return kFailed;
        case ChangeOutcome::Refused:
            err << "quenorctl: " << refusedBecause << '\n';
            return kFailed;
        case ChangeOutcome::Failed:
            break;
    }
    bool said = false;
    std::string causes;
    for (const MessageBoxRequest& box : shown) {
        if (box.icon != MessageIcon::Critical) continue;
        // The cause, without the box's error number and advice.
        const std::string cause = box.text.substr(0, box.text.find("\r\r"));
        err << "quenorctl: " << ui::terminal::terminalLines(cause) << '\n';
        causes += cause;
        said = true;
    }
    // Never a failure without a word: the steps it took are in quenor.log.
    if (!said) err << "quenorctl: the change did not finish; quenor.log has its steps.\n";
    if (const std::string changed = ui::changeReportText(report, causes); !changed.empty())
        err << "quenorctl: " << changed << '\n';
    return kFailed;
}

}  // namespace quenor::ctl
