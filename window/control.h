#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quenor::ui {

// The kinds of control the window uses.
enum class ControlKind { Label, TextBox, Group, OptionButton, DropDownList, CommandButton };

// Name of a kind as it appears in error messages ("option button", "drop-down list", ...).
const char* controlKindName(ControlKind kind);

// A colour as red, green and blue components.
struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Which colour a control draws its text in: the platform's default for its kind, the
// system's window-text colour, or a fixed colour.
struct TextColour {
    enum class Source { PlatformDefault, SystemWindowText, Fixed };

    Source source = Source::PlatformDefault;
    Rgb rgb;  // only meaningful when source is Fixed

    static TextColour platformDefault() { return {}; }
    static TextColour systemWindowText() { return {Source::SystemWindowText, {}}; }
    static TextColour fixed(Rgb colour) { return {Source::Fixed, colour}; }

    friend bool operator==(const TextColour&, const TextColour&) = default;
};

// A font as the window's controls name it; sizes are in points (fractions such as
// 8.25 are exact in binary).
struct Font {
    std::string name;
    double points = 0.0;
    bool bold = false;
    bool italic = false;
    bool underline = false;

    friend bool operator==(const Font&, const Font&) = default;
};

// A position or size in twips (1440 to the inch, 15 to the pixel at 96 dpi).
struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const TwipRect&, const TwipRect&) = default;
};

struct TwipPoint {
    int left = 0;
    int top = 0;

    friend bool operator==(const TwipPoint&, const TwipPoint&) = default;
};

// Identifies a control: its name and, for members of an option array, its index
// (-1 for controls that are not in an array).
struct ControlKey {
    std::string name;
    int index = -1;

    friend bool operator==(const ControlKey&, const ControlKey&) = default;
};

// Renders "optResolution(2)" or "btnQuit" for messages.
std::string describe(const ControlKey& key);

// One control of the window: its fixed layout data and its current state. The form
// model owns every control; state changes go through the model so that handlers and
// observers run.
struct Control {
    // Layout data, fixed once the control is added.
    ControlKey key;
    ControlKind kind = ControlKind::Label;
    std::string container;  // name of the group it sits in; empty for the window itself
    std::string tag;
    TwipRect bounds;           // relative to the container's top-left corner
    std::optional<Font> font;  // empty: the window's default font
    TextColour textColour;
    bool helpLink = false;  // drawn and acting as a help link (question-mark arrow pointer)
    // What a screen reader says for the control; empty: its caption. The five "More Info"
    // links say what they explain, so that they are not read as five identical links.
    std::string accessibleName;
    int tabIndex = 0;
    int maxLength = 0;  // text boxes: most characters the user may enter; 0 = no limit
    std::vector<std::string> entries;  // drop-down lists

    // State.
    std::string caption;
    bool enabled = true;
    std::string text;        // text boxes
    int selectedEntry = -1;  // drop-down lists; -1 = no entry selected
    bool selected = false;   // option buttons

    bool canTakeFocus() const {
        return enabled && kind != ControlKind::Label && kind != ControlKind::Group;
    }
};

}  // namespace quenor::ui
