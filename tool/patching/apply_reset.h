#pragma once

#include "core/tool.h"
#include "tool/patching/patch_window.h"

namespace quenor::patching {

// "Apply Settings": after confirmation, writes the chosen resolution, VSYNC and FPS boost
// into the game and saves the settings.
void btnApplySettings_Click(Tool& tool, PatchWindow& window);

// "Reset all Settings to Defaults": after confirmation, writes the retail values into the
// game, restores the tool's defaults, saves them and shows them in the window.
void btnSetDefaults_Click(Tool& tool, PatchWindow& window);

}  // namespace quenor::patching
