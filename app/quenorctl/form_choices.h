#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "window/form_model.h"

namespace quenor::ctl {

// The values of --resolution that are the window's presets, in the order of its options, and
// those of --fps, in the order of its FPS Boost options.
inline constexpr std::array<const char*, 3> kResolutionPresets{"1280x800", "1600x1000", "1024x768"};
inline constexpr std::array<const char*, 5> kFpsLevels{"off", "low", "med", "high", "extreme"};

// The names as a text ("a, b or c"), and as a list.
std::string namesText(const std::vector<std::string>& names);
template <std::size_t N>
std::vector<std::string> namesOf(const std::array<const char*, N>& names) {
    return {names.begin(), names.end()};
}

// The options of "quenorctl apply", as the window's controls take them.
struct Choices {
    std::optional<std::string> resolution;  // 1280x800, 1600x1000, 1024x768, nochange, WxH
    std::optional<int> frame;               // 1 to 4: the frame of a size of the player's own
    std::optional<std::string> vsync;       // on, off
    std::optional<std::string> fps;         // off, low, med, high, extreme
};

// WIDTHxHEIGHT cut at its first "x": the texts typed into the width and height boxes (the
// height is empty without an "x").
struct TypedSize {
    std::string width;
    std::string height;
};
TypedSize splitSize(const std::string& size);

// A choice the window would not take; the text says which and why.
struct ChoiceRefused {
    std::string reason;
};

// Selects the choices in the window, as a player would click and type them: a preset's size
// without --frame is that preset; any size with --frame (even a preset's) and any other size
// is "User Defined", typed into the width and height boxes, with the frame picked in the
// list. Choices not given stay as the window shows them (the stored settings). Returns what
// the window refused (a fifth digit), or nothing.
std::optional<ChoiceRefused> selectChoices(ui::FormModel& form, const Choices& choices);

}  // namespace quenor::ctl
