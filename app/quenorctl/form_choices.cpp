#include "app/quenorctl/form_choices.h"

#include <array>

#include "core/resolution_codes.h"
#include "window/quenor_layout.h"

namespace quenor::ctl {

namespace {

namespace names = ui::control_names;

// A click on an option button; one already selected changes nothing, as in the window.
void click(ui::FormModel& form, std::string_view array, int index) {
    form.userClickOption(array, index);
}

}  // namespace

std::string namesText(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
    return text;
}

TypedSize splitSize(const std::string& size) {
    const std::size_t x = size.find('x');
    return {size.substr(0, x), x == std::string::npos ? "" : size.substr(x + 1)};
}

std::optional<ChoiceRefused> selectChoices(ui::FormModel& form, const Choices& choices) {
    if (choices.resolution) {
        const std::string& wanted = *choices.resolution;
        int preset = -1;
        for (std::size_t i = 0; i < kResolutionPresets.size(); ++i) {
            if (wanted == kResolutionPresets[i]) preset = static_cast<int>(i);
        }
        if (wanted == "nochange") {
            click(form, names::kOptResolution, resolution::kNoChange);
        } else if (preset >= 0 && !choices.frame) {
            click(form, names::kOptResolution, preset);
        } else {
            const auto [width, height] = splitSize(wanted);
            click(form, names::kOptResolution, resolution::kUserDefined);
            for (const auto& [box, text] :
                 {std::pair{names::kTxtResWidth, width}, std::pair{names::kTxtResHeight, height}}) {
                if (!form.userEditText(box, text)) {
                    return ChoiceRefused{
                        "the " + std::string(box == names::kTxtResWidth ? "width" : "height") +
                        " \"" + text + "\" does not fit its box: at most 4 characters"};
                }
            }
            if (choices.frame) form.userPickEntry(names::kLstResFrame, *choices.frame);
        }
    }
    if (choices.vsync) click(form, names::kOptVsync, *choices.vsync == "on" ? 0 : 1);
    if (choices.fps) {
        for (std::size_t i = 0; i < kFpsLevels.size(); ++i) {
            if (*choices.fps == kFpsLevels[i])
                click(form, names::kOptFpsBoost, static_cast<int>(i));
        }
    }
    return std::nullopt;
}

}  // namespace quenor::ctl
