#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/tool.h"
#include "tool/patching/patch_window.h"

namespace quenor::patching {

// What setResolution writes for a code: the frame's config entry, its size and "GFX Mode".
struct FramePatch {
    std::string entry;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int16_t gfxMode = 0;
};

// The patch of `code`: nothing for "No Change"; for "User Defined" the window's values, which
// must be valid (see rejectsUserDefinedValues), in the frame the settings hold. Throws ToolError
// for a code that names no resolution.
std::optional<FramePatch> framePatchFor(const Tool& tool, const PatchWindow& window,
                                        std::int16_t code);

// Whether setResolution would reject the window's user-defined values for `code`; asks and
// shows nothing.
bool rejectsUserDefinedValues(const PatchWindow& window, std::int16_t code);

// Checks typed width and height (plain decimal digits, not 0, no leading 0) and the frame
// index (1 or more). When invalid, shows the "Invalid resolution specified" box and
// returns false.
bool validateResolution(Tool& tool, const std::string& widthText, const std::string& heightText,
                        std::int16_t frameIndex);

// Writes the resolution of `code` (core/resolution_codes.h) into its config file in the game
// archive and the "GFX Mode" value. True when done or nothing to do ("No Change"); false when the
// user-defined values were rejected, in which case nothing was changed.
bool setResolution(Tool& tool, PatchWindow& window, std::int16_t code);

}  // namespace quenor::patching
