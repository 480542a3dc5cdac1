// quenorctl's exit status follows from how a change ended, not from what its boxes say: the
// same outcomes with every box retitled give the same statuses.
#include <gtest/gtest.h>

#include <sstream>

#include "app/quenorctl/change_report.h"
#include "app/quenorctl/quenorctl.h"

namespace quenor::ctl {
namespace {

using patching::ChangeOutcome;

const MessageBoxRequest kQuestion{"Apply changes?", "Apply?", MessageButtons::YesNo,
                                  MessageIcon::Exclamation};
const MessageBoxRequest kDoneBox{"All done!", "Changes applied.", MessageButtons::Ok,
                                 MessageIcon::Information};
const MessageBoxRequest kRefusedValues{"Invalid Input", "Width must be 800 or more.",
                                       MessageButtons::Ok, MessageIcon::Exclamation};
const MessageBoxRequest kFailure{"Error", "Writing fmisc.viv failed\r\rError number 75",
                                 MessageButtons::Ok, MessageIcon::Critical};

TEST(ChangeReport, TheExitStatusFollowsTheOutcomeWhateverTheBoxesAreCalled) {
    struct Case {
        std::optional<ChangeOutcome> outcome;
        std::vector<MessageBoxRequest> shown;
        int status;
        const char* said;  // on standard error, title aside
    };
    const Case cases[] = {
        {ChangeOutcome::Done, {kQuestion, kDoneBox}, kDone, ""},
        {ChangeOutcome::Declined, {kQuestion}, kFailed, "the answer was no"},
        {ChangeOutcome::InvalidValues,
         {kQuestion, kRefusedValues},
         kFailed,
         "Width must be 800 or more. Nothing was changed."},
        {ChangeOutcome::GameNotFound, {kRefusedValues}, kFailed, "Width must be"},
        {ChangeOutcome::Refused, {kQuestion}, kFailed, "another Quenor holds it"},
        {ChangeOutcome::Failed, {kQuestion, kFailure}, kFailed, "Writing fmisc.viv failed\n"},
        // A failure the window did not record (an exception out of the procedure).
        {std::nullopt, {kQuestion, kDoneBox}, kFailed, "the change did not finish"},
    };
    for (const Case& c : cases) {
        for (const bool retitled : {false, true}) {
            SCOPED_TRACE(std::string(c.said) + (retitled ? " (retitled)" : ""));
            std::vector<MessageBoxRequest> shown = c.shown;
            if (retitled) {
                for (MessageBoxRequest& box : shown) box.title = "Another title";
            }
            std::ostringstream err;
            EXPECT_EQ(reportChange(c.outcome, shown, "another Quenor holds it", err), c.status);
            EXPECT_NE(err.str().find(c.said), std::string::npos) << err.str();
            EXPECT_EQ(err.str().empty(), c.status == kDone) << err.str();
        }
    }
}

}  // namespace
}  // namespace quenor::ctl
