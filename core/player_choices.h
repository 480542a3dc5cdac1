#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/choices.h"
#include "core/settings_model.h"

namespace quenor {

// The player's choices as Apply takes them: the resolution option; for "User Defined" the
// size as typed and the frame picked; VSYNC and FPS Boost. The window makes it from its
// controls, quenorctl from its options over the stored settings.
struct PlayerChoices {
    std::int16_t resolution = resolution::kNoChange;  // the option's code
    // "User Defined": the texts of the width and height boxes, and the frame list's entry
    // (-1 none, 0 the prompt, 1 to 4 the frames).
    std::string width;
    std::string height;
    std::int16_t frame = 0;
    std::int16_t vsync = choices::kDefaultVsync;  // an index of choices::kVsyncValues
    std::int16_t fps = choices::kDefaultFps;      // an index of choices::kFpsLevels

    bool operator==(const PlayerChoices&) const = default;
};

// What the window shows once start-up has reflected `settings`: an index that names no option
// falls back to its group's default ("No Change", ON, OFF); "User Defined" shows the stored
// size and frame (a frame outside -1 to 4 as the prompt); any other option leaves the boxes
// empty and the list at its prompt.
PlayerChoices choicesFromSettings(const SettingsModel& settings);

// Whether "User Defined" takes these values: width and height plain decimal digits, neither 0
// nor with a leading 0, and a frame picked (1 or more).
bool sizeOfOwnValid(const std::string& width, const std::string& height, int frame);
// Whether Apply refuses the choices: "User Defined" with values it does not take.
bool sizeOfOwnRefused(const PlayerChoices& chosen);

// What writing the size of one frame does: the frame's config entry gets the width and
// height, and "GFX Mode" selects the frame.
struct FramePatch {
    std::string entry;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int16_t gfxMode = 0;
};
// The frame written for the choices, which must not be refused: nothing for "No Change", a
// preset's own, or the typed size in the frame picked.
std::optional<FramePatch> framePatchOf(const PlayerChoices& chosen);
// The frame write of a preset option or of a retail code (50 to 80); nothing for another code.
std::optional<FramePatch> fixedFramePatch(std::int16_t code);

// The frame a size of the player's own goes into when none is picked: the smallest whose
// retail size holds it (width and height each at most the frame's), else the largest, frame
// 4, which players run larger sizes in.
int frameHolding(std::int32_t width, std::int32_t height);

}  // namespace quenor
