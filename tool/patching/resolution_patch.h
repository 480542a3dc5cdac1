#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/tool.h"
#include "tool/patching/patch_window.h"

namespace quenor::patching {

// Checks typed width and height (plain decimal digits, not 0, no leading 0) and the frame
// index (1 or more). When invalid, shows the "Invalid resolution specified" box and
// returns false.
bool validateResolution(Tool& tool, const std::string& widthText, const std::string& heightText,
                        std::int16_t frameIndex);

// Writes the resolution of `code` (core/choices.h) into its config file in the game
// archive and the "GFX Mode" value. True when done or nothing to do ("No Change"); false when the
// user-defined values were rejected, in which case nothing was changed.
bool setResolution(Tool& tool, PatchWindow& window, std::int16_t code);

}  // namespace quenor::patching
