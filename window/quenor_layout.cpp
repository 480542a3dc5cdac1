#include "window/quenor_layout.h"

#include <optional>
#include <string>
#include <utility>

#include "core/choices.h"

namespace quenor::ui {

namespace {

namespace n = control_names;

Font arial(double points, bool bold = false, bool italic = false, bool underline = false) {
    return Font{"Arial", points, bold, italic, underline};
}

const Rgb kDarkRed{192, 0, 0};
const Rgb kLinkBlue{0, 0, 255};

// Adds the window's controls one container at a time; bounds are relative to the
// container currently open.
class LayoutBuilder {
  public:
    explicit LayoutBuilder(FormModel& form) : form_(form) {}

    void openContainer(std::string_view group) { container_ = group; }

    void label(std::string_view name, std::string caption, TwipRect bounds, Font font, int tab,
               TextColour colour = TextColour::platformDefault()) {
        Control control = make(ControlKind::Label, name, -1, bounds, std::move(font), tab);
        control.caption = std::move(caption);
        control.textColour = colour;
        form_.addControl(std::move(control));
    }

    // A "More Info" label in the help-link style: underlined blue Arial with the
    // arrow-and-question-mark pointer; `topic` names what it explains, for screen readers.
    void helpLink(std::string_view name, std::string_view topic, TwipRect bounds, int tab) {
        Control control =
            make(ControlKind::Label, name, -1, bounds, arial(8.25, false, false, true), tab);
        control.caption = "More Info";
        control.textColour = TextColour::fixed(kLinkBlue);
        control.helpLink = true;
        control.accessibleName = "More Info: " + std::string(topic);
        form_.addControl(std::move(control));
    }

    void option(std::string_view name, int index, std::string caption, std::string tag,
                TwipRect bounds, int tab) {
        Control control = make(ControlKind::OptionButton, name, index, bounds, arial(8.25), tab);
        control.caption = std::move(caption);
        control.tag = std::move(tag);
        control.textColour = TextColour::systemWindowText();
        form_.addControl(std::move(control));
    }

    // The option buttons of the player's choices: caption and tag from their table.
    void resolutionOption(int code, TwipRect bounds, int tab) {
        const choices::ResolutionOption& row = choices::kResolutionOptions.at(code);
        option(control_names::kOptResolution, code, std::string(row.caption), std::string(row.tag),
               bounds, tab);
    }
    void vsyncOption(int index, TwipRect bounds, int tab) {
        const choices::VsyncValue& row = choices::kVsyncValues.at(index);
        option(control_names::kOptVsync, index, std::string(row.caption), std::string(row.tag),
               bounds, tab);
    }
    void fpsOption(int index, TwipRect bounds, int tab) {
        const choices::FpsLevel& row = choices::kFpsLevels.at(index);
        option(control_names::kOptFpsBoost, index, std::string(row.caption),
               std::to_string(row.number), bounds, tab);
    }

    // Groups draw neither border nor caption; they only position their children.
    void group(std::string_view name, TwipRect bounds, int tab) {
        form_.addControl(make(ControlKind::Group, name, -1, bounds, arial(8.25), tab));
    }

    void button(std::string_view name, std::string caption, TwipRect bounds,
                std::optional<Font> font, int tab) {
        Control control = make(ControlKind::CommandButton, name, -1, bounds, std::move(font), tab);
        control.caption = std::move(caption);
        form_.addControl(std::move(control));
    }

    // The user-defined width or height box: empty, disabled, at most 4 characters.
    void sizeBox(std::string_view name, TwipRect bounds, int tab) {
        Control control = make(ControlKind::TextBox, name, -1, bounds, arial(8.25), tab);
        control.maxLength = static_cast<int>(kSizeBoxMaxLength);
        control.enabled = false;
        form_.addControl(std::move(control));
    }

    // The frame-size list: entry n (1 to 4) is the game's resolution frame n, entry 0 a
    // prompt. Nothing selected and disabled until "User Defined" is chosen.
    void frameList(std::string_view name, TwipRect bounds, int tab) {
        Control control = make(ControlKind::DropDownList, name, -1, bounds, arial(8.25), tab);
        control.entries = {"Select a frame size"};
        for (const choices::Frame& frame : choices::kFrames)
            control.entries.push_back(std::to_string(frame.width) + " x " +
                                      std::to_string(frame.height));
        control.selectedEntry = -1;
        control.enabled = false;
        form_.addControl(std::move(control));
    }

  private:
    Control make(ControlKind kind, std::string_view name, int index, TwipRect bounds,
                 std::optional<Font> font, int tab) const {
        Control control;
        control.key = ControlKey{std::string(name), index};
        control.kind = kind;
        control.container = container_;
        control.bounds = bounds;
        control.font = std::move(font);
        control.tabIndex = tab;
        return control;
    }

    FormModel& form_;
    std::string container_;
};

void addWindowControls(LayoutBuilder& b) {
    b.openContainer("");
    b.label("Label1", "Quenor - Widescreen for NHL 09", {240, 120, 4575, 375},
            arial(14.25, true, true), 1);
    b.label(n::kLabVersion, "v", {4920, 180, 975, 255}, arial(11.25, true, true), 25);
    b.label("Label3",
            "WARNING: Use at your own risk. Make sure the selected resolution is supported by "
            "your hardware (video card and monitor).",
            {240, 600, 5655, 495}, arial(8.25, true), 2, TextColour::fixed(kDarkRed));
    b.group(n::kFraResolution, {360, 1560, 5655, 1695}, 17);
    // The size boxes belong to the window although they lie over the resolution group.
    b.sizeBox(n::kTxtResWidth, {3840, 2400, 735, 315}, 34);
    b.sizeBox(n::kTxtResHeight, {4920, 2400, 735, 315}, 32);
    b.group(n::kFraVsync, {360, 3480, 1575, 495}, 4);
    b.group(n::kFraFpsBoost, {360, 4320, 5655, 495}, 8);
    b.group(n::kFraLogging, {360, 5040, 5655, 495}, 26);
    b.button(n::kBtnApplySettings, "Apply Settings", {360, 5880, 1335, 375}, arial(8.25), 0);
    b.button(n::kBtnSetDefaults, "Reset all Settings to Defaults", {1920, 5880, 2415, 375},
             arial(8.25), 3);
    b.button(n::kBtnQuit, "Quit", {4560, 5880, 1335, 375}, arial(8.25), 24);
}

void addResolutionGroup(LayoutBuilder& b) {
    b.openContainer(n::kFraResolution);
    b.label("Label2", "Widescreen Resolution", {0, 0, 3615, 255}, arial(8.25, true), 22);
    b.helpLink(n::kLabMoreResolution, "Widescreen Resolution", {2160, 0, 735, 255}, 23);
    b.resolutionOption(0, {0, 360, 1215, 255}, 21);
    b.resolutionOption(2, {1440, 360, 1695, 255}, 18);
    b.resolutionOption(resolution::kUserDefined, {3360, 360, 1335, 255}, 40);
    b.helpLink(n::kLabMoreInfoResFrame, "Resolution Frame", {4800, 360, 735, 255}, 38);
    b.label("Label8", "width", {3480, 675, 375, 135}, arial(6.75), 35);
    b.label("Label9", "height", {4560, 675, 375, 255}, arial(6.75), 36);
    b.resolutionOption(1, {0, 840, 1215, 255}, 20);
    b.resolutionOption(resolution::kNoChange, {1440, 840, 1095, 255}, 19);
    b.label("Label5", "X", {4320, 900, 135, 255}, arial(9, true), 33);
    b.label("Label10", "Resolution Frame", {3480, 1155, 1335, 135}, arial(6.75), 39);
    b.frameList(n::kLstResFrame, {3480, 1320, 1815, 330}, 37);
}

void addVsyncGroup(LayoutBuilder& b) {
    b.openContainer(n::kFraVsync);
    b.label("Label4", "VSYNC", {0, 0, 615, 255}, arial(8.25, true), 7);
    b.helpLink(n::kLabMoreInfoVsync, "VSYNC", {720, 0, 735, 255}, 15);
    b.vsyncOption(0, {0, 240, 735, 255}, 6);
    b.vsyncOption(1, {720, 240, 735, 255}, 5);
}

void addFpsBoostGroup(LayoutBuilder& b) {
    b.openContainer(n::kFraFpsBoost);
    b.label("Label6", "FPS Boost", {0, 0, 975, 255}, arial(8.25, true), 14);
    b.helpLink(n::kLabMoreInfoFps, "FPS Boost", {1080, 0, 735, 255}, 16);
    b.fpsOption(0, {0, 240, 735, 255}, 13);
    b.fpsOption(1, {840, 240, 735, 255}, 12);
    b.fpsOption(2, {1680, 240, 735, 255}, 11);
    b.fpsOption(3, {2520, 240, 735, 255}, 10);
    b.fpsOption(4, {3360, 240, 1095, 255}, 9);
}

void addLoggingGroup(LayoutBuilder& b) {
    b.openContainer(n::kFraLogging);
    b.label("Label7", "Quenor Logging", {0, 0, 1455, 255}, arial(8.25, true), 28);
    b.helpLink(n::kLabLoggingInfo, "Quenor Logging", {1560, 0, 735, 255}, 27);
    b.option(n::kOptLogging, 0, "ON", "true", {0, 240, 615, 255}, 29);
    b.option(n::kOptLogging, 1, "OFF", "false", {840, 240, 615, 255}, 30);
    // The one control without a font of its own: it uses the window's default font.
    b.button(n::kBtnDeleteLog, "Delete log file", {1560, 240, 1215, 255}, std::nullopt, 31);
}

}  // namespace

FormModel buildQuenorForm() {
    WindowLayout window;
    window.name = std::string(control_names::kWindow);
    window.caption = "Quenor v1.0";
    window.clientWidth = 6300;
    window.clientHeight = 6465;
    window.icon = WindowIcon{32, 32, 16};
    window.centredOnFirstShow = true;

    FormModel form(std::move(window));
    LayoutBuilder builder(form);
    addWindowControls(builder);
    addResolutionGroup(builder);
    addVsyncGroup(builder);
    addFpsBoostGroup(builder);
    addLoggingGroup(builder);
    return form;
}

}  // namespace quenor::ui
