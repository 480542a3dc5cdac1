#include "app/quenorctl/change_report.h"

#include <ostream>

#include "app/quenorctl/quenorctl.h"
#include "window/quenor_window.h"
#include "window/terminal/terminal_message_boxes.h"

namespace quenor::ctl {

std::vector<std::string> changeReasons(std::optional<patching::ChangeOutcome> recorded,
                                       const std::string& refusedBecause,
                                       const ChangeReport& report) {
    using patching::ChangeOutcome;
    const ChangeOutcome outcome = recorded.value_or(ChangeOutcome::Failed);
    const std::optional<ChangeReport::Stop>& stopped = report.stopped;
    switch (outcome) {
        case ChangeOutcome::Done:
            return {};
        case ChangeOutcome::Declined:
            return {"the answer was no; nothing was changed."};
        case ChangeOutcome::InvalidValues:
        case ChangeOutcome::GameNotFound:
            // The check's own text; the game's validation text does not say what followed.
            if (!stopped) return {"the change was refused; nothing was changed."};
            return {stopped->title + ": " + ui::terminal::terminalLines(stopped->reason) +
                    (outcome == ChangeOutcome::InvalidValues ? " Nothing was changed." : "")};
        case ChangeOutcome::Refused:
            return {refusedBecause};
        case ChangeOutcome::Failed:
            break;
    }
    // Never a failure without a word: the steps it took are in quenor.log.
    std::vector<std::string> reasons{stopped
                                         ? ui::terminal::terminalLines(stopped->reason)
                                         : "the change did not finish; quenor.log has its steps."};
    if (const std::string changed =
            ui::changeReportText(report, stopped ? stopped->reason : std::string());
        !changed.empty())
        reasons.push_back(changed);
    return reasons;
}

int reportChange(std::optional<patching::ChangeOutcome> outcome, const std::string& refusedBecause,
                 std::ostream& err, const ChangeReport& report) {
    const std::vector<std::string> reasons = changeReasons(outcome, refusedBecause, report);
    for (const std::string& reason : reasons) err << "quenorctl: " << reason << '\n';
    return reasons.empty() ? kDone : kFailed;
}

}  // namespace quenor::ctl
