#pragma once

#include "core/tool.h"
#include "tool/patching/patch_window.h"

namespace quenor::patching {

// How a change ended, for callers that report it (quenorctl's exit status). The procedures
// return the first four; a failed step throws, which the window records as the last two.
enum class ChangeOutcome {
    Done,           // written, and "All done!" shown
    Declined,       // the player answered the confirmation no
    InvalidValues,  // the user-defined resolution was refused; nothing was written
    GameNotFound,   // no game folder is known; nothing was written
    Refused,        // another Quenor was changing the game and the player did not wait
    Failed,         // a step failed, as its failure box says
};

// "Apply Settings": after confirmation, writes the chosen resolution, VSYNC and FPS boost
// into the game and saves the settings.
ChangeOutcome btnApplySettings_Click(Tool& tool, PatchWindow& window);

// "Reset all Settings to Defaults": after confirmation, writes the retail values into the
// game, restores the tool's defaults, saves them and shows them in the window.
ChangeOutcome btnSetDefaults_Click(Tool& tool, PatchWindow& window);

}  // namespace quenor::patching
