#include "app/quenorctl/form_choices.h"

#include <charconv>

#include "core/choices.h"
#include "window/quenor_layout.h"

namespace quenor::ctl {

namespace {

namespace names = ui::control_names;

// The index of the row whose quenorctl name is `name`.
template <typename Rows>
std::optional<std::int16_t> indexNamed(const Rows& rows, const std::string& name) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].ctlName.empty() && rows[i].ctlName == name)
            return static_cast<std::int16_t>(i);
    }
    return std::nullopt;
}

template <typename Rows>
std::vector<std::string> namesOf(const Rows& rows) {
    std::vector<std::string> found;
    for (const auto& row : rows) {
        if (!row.ctlName.empty()) found.emplace_back(row.ctlName);
    }
    return found;
}

// A typed number as the frame rule reads it; the window judges the text itself.
std::int32_t numberIn(const std::string& text) {
    std::int32_t number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
}

}  // namespace

std::string namesText(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
    return text;
}

std::vector<std::string> resolutionNames() {
    std::vector<std::string> found = namesOf(choices::kResolutionOptions);
    found.insert(found.end(), {kScreenResolution, "WIDTHxHEIGHT"});
    return found;
}
std::vector<std::string> vsyncNames() {
    return namesOf(choices::kVsyncValues);
}
std::vector<std::string> fpsNames() {
    return namesOf(choices::kFpsLevels);
}

bool asksForScreen(const Choices& choices) {
    return choices.resolution == kScreenResolution;
}

TypedSize splitSize(const std::string& size) {
    const std::size_t x = size.find('x');
    return {size.substr(0, x), x == std::string::npos ? "" : size.substr(x + 1)};
}

GivenChoices resolveChoices(const Choices& choices, const std::optional<host::ScreenSize>& screen) {
    GivenChoices given;
    if (choices.resolution) {
        const std::optional<std::int16_t> named =
            indexNamed(choices::kResolutionOptions, *choices.resolution);
        const bool noChange = named == resolution::kNoChange;
        if (named && (noChange || !choices.frame)) {
            given.resolution = *named;
        } else {
            given.resolution = resolution::kUserDefined;
            if (asksForScreen(choices)) {
                const host::ScreenSize size = screen.value_or(host::ScreenSize{});
                given.size = {std::to_string(size.width), std::to_string(size.height)};
            } else {
                given.size = splitSize(*choices.resolution);
            }
            given.frame = static_cast<std::int16_t>(choices.frame.value_or(
                frameHolding(numberIn(given.size.width), numberIn(given.size.height))));
        }
    }
    if (choices.vsync) given.vsync = indexNamed(choices::kVsyncValues, *choices.vsync);
    if (choices.fps) given.fps = indexNamed(choices::kFpsLevels, *choices.fps);
    return given;
}

PlayerChoices madeOver(PlayerChoices shown, const GivenChoices& given) {
    if (given.resolution) {
        shown.resolution = *given.resolution;
        shown.width = shown.height = "";
        shown.frame = 0;
        if (*given.resolution == resolution::kUserDefined) {
            shown.width = given.size.width;
            shown.height = given.size.height;
            shown.frame = given.frame;
        }
    }
    if (given.vsync) shown.vsync = *given.vsync;
    if (given.fps) shown.fps = *given.fps;
    return shown;
}

std::optional<ChoiceRefused> refusedByTheBoxes(const GivenChoices& given) {
    if (given.resolution != resolution::kUserDefined) return std::nullopt;
    for (const auto& [box, text] :
         {std::pair{"width", given.size.width}, std::pair{"height", given.size.height}}) {
        if (text.size() > ui::kSizeBoxMaxLength) {
            return ChoiceRefused{"the " + std::string(box) + " \"" + text +
                                 "\" does not fit its box: at most " +
                                 std::to_string(ui::kSizeBoxMaxLength) + " characters"};
        }
    }
    return std::nullopt;
}

std::optional<ChoiceRefused> selectChoices(ui::FormModel& form, const GivenChoices& given) {
    if (auto refused = refusedByTheBoxes(given)) return refused;
    if (given.resolution) {
        // A click on the option already selected changes nothing, as in the window.
        form.userClickOption(names::kOptResolution, *given.resolution);
        if (*given.resolution == resolution::kUserDefined) {
            form.userEditText(names::kTxtResWidth, given.size.width);
            form.userEditText(names::kTxtResHeight, given.size.height);
            form.userPickEntry(names::kLstResFrame, given.frame);
        }
    }
    if (given.vsync) form.userClickOption(names::kOptVsync, *given.vsync);
    if (given.fps) form.userClickOption(names::kOptFpsBoost, *given.fps);
    return std::nullopt;
}

}  // namespace quenor::ctl
