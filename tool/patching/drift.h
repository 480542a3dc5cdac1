#pragma once

#include <string>
#include <vector>

#include "core/player_choices.h"
#include "core/tool.h"

namespace quenor::patching {

// A place where the game does not hold what Apply would write there.
struct Difference {
    std::string place;     // "sgsm3.cfg devicewidth", "GFX Mode"
    std::string found;     // what the game holds now ("not set", "no line", ...)
    std::string expected;  // what Apply writes
};

// Where the game differs from what an Apply of the choices would write: each keyed line of the
// archive's config entries, "GFX Mode" and "OnPlay Player". Reads only. Choices Apply would
// refuse (a user-defined size that is not valid) are one difference, so that an Apply runs and
// says why.
std::vector<Difference> differencesFromApply(Tool& tool, const PlayerChoices& chosen);

}  // namespace quenor::patching
