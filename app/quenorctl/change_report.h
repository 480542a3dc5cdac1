#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "core/tool.h"
#include "tool/patching/apply_reset.h"

namespace quenor::ctl {

// Why an Apply or Reset did not get done, a line each, from how it ended and what it recorded:
// the check that refused it, the cause of its failure, what it had written of the game and
// what it could not, and the way back. Empty when it was done.
std::vector<std::string> changeReasons(std::optional<patching::ChangeOutcome> outcome,
                                       const std::string& refusedBecause,
                                       const ChangeReport& report);

// The reasons on standard error, and the exit status: it follows from the outcome alone
// (nothing when the window recorded none counts as failed).
int reportChange(std::optional<patching::ChangeOutcome> outcome, const std::string& refusedBecause,
                 std::ostream& err, const ChangeReport& report = {});

}  // namespace quenor::ctl
