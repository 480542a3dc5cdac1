#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/player_choices.h"
#include "host/screen.h"
#include "window/form_model.h"

namespace quenor::ctl {

// The names as a text ("a, b or c").
std::string namesText(const std::vector<std::string>& names);

// --resolution's value that asks for the size of the screen the game will be shown on.
inline constexpr const char* kScreenResolution = "screen";

// The values --resolution takes (the presets' names, nochange, screen, WIDTHxHEIGHT) and
// --vsync and --fps take, from the table of choices.
std::vector<std::string> resolutionNames();
std::vector<std::string> vsyncNames();
std::vector<std::string> fpsNames();

// The options of "quenorctl apply" and "run", as given.
struct Choices {
    std::optional<std::string> resolution;  // a preset's name, nochange, screen or WxH
    std::optional<int> frame;               // 1 to 4: the frame of a size of the player's own
    std::optional<std::string> vsync;       // on, off
    std::optional<std::string> fps;         // off, low, med, high, extreme
};
// Whether the choices ask for the screen's size.
bool asksForScreen(const Choices& choices);

// WIDTHxHEIGHT cut at its first "x": the texts typed into the width and height boxes (the
// height is empty without an "x").
struct TypedSize {
    std::string width;
    std::string height;
};
TypedSize splitSize(const std::string& size);

// The choices given, as the window's controls take them: a preset's name without --frame is
// that preset; any size with --frame (even a preset's), any other size and the screen's size
// are "User Defined", with the frame given, else the frame that holds the size. Choices not
// given are left as they are.
struct GivenChoices {
    std::optional<std::int16_t> resolution;  // the option's code
    TypedSize size;                          // "User Defined": the typed width and height
    std::int16_t frame = 0;                  // "User Defined": the frame list's entry
    std::optional<std::int16_t> vsync;
    std::optional<std::int16_t> fps;
};
// `screen` is the screen's size, needed when the choices ask for it.
GivenChoices resolveChoices(const Choices& choices, const std::optional<host::ScreenSize>& screen);

// The choices an Apply takes when `given` is made over `shown` (the stored settings, as the
// window shows them).
PlayerChoices madeOver(PlayerChoices shown, const GivenChoices& given);

// A choice the window would not take; the text says which and why.
struct ChoiceRefused {
    std::string reason;
};

// What the window's boxes would refuse of the choices (a fifth digit), or nothing.
std::optional<ChoiceRefused> refusedByTheBoxes(const GivenChoices& given);

// Selects the choices in the window, as a player would click, type and pick them. Returns
// what the window refused (a fifth digit), or nothing.
std::optional<ChoiceRefused> selectChoices(ui::FormModel& form, const GivenChoices& given);

}  // namespace quenor::ctl
