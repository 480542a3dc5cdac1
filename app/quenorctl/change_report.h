#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/message_box.h"
#include "tool/patching/apply_reset.h"

namespace quenor::ctl {

// How an Apply or Reset ended, on standard error, and the exit status it gives. The status
// follows from the outcome alone (nothing when the window recorded none counts as failed);
// the boxes shown only lend their texts to what is said. A failed change also names, from
// `report`, what it had written of the game and what it could not, and the way back.
int reportChange(std::optional<patching::ChangeOutcome> outcome,
                 const std::vector<MessageBoxRequest>& shown, const std::string& refusedBecause,
                 std::ostream& err, const ChangeReport& report = {});

}  // namespace quenor::ctl
