#pragma once

#include <cstdint>
#include <string>

#include "core/player_choices.h"

namespace quenor::patching {

// What the patches and the Apply and Reset procedures use of the window: the user-defined
// width, height and frame, and the selection of option buttons from code (which runs their
// click handlers, as a click would).
class PatchWindow {
  public:
    virtual ~PatchWindow() = default;
    virtual std::string widthText() const = 0;
    virtual std::string heightText() const = 0;
    // Selected entry of the frame-size list; -1 when none is selected.
    virtual std::int16_t frameListIndex() const = 0;
    // The choices its controls show, as Apply takes them.
    virtual PlayerChoices choices() const = 0;

    virtual void selectResolutionOption(std::int16_t index) = 0;
    virtual void selectVsyncOption(std::int16_t index) = 0;
    virtual void selectFpsBoostOption(std::int16_t index) = 0;
    virtual void selectLoggingOption(std::int16_t index) = 0;
};

}  // namespace quenor::patching
