#pragma once

#include "core/tool.h"

namespace quenor::patching {

// Writes the VSYNC value text ("true" or "false") into the "enablevsync" lines of the
// four config files sgsm1.cfg .. sgsm4.cfg of the game archive, one after the other.
void setVSYNC(Tool& tool);

}  // namespace quenor::patching
