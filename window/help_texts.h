#pragma once

#include <optional>
#include <string_view>

#include "core/platform/message_box.h"

namespace quenor::ui {

// The five help texts behind the window's "More Info" labels.
enum class HelpTopic { WidescreenResolution, FrameSize, Vsync, FpsBoost, Logging };

// The message box of a help text: its title, its lines joined by a single CR (an empty
// line is two CRs in a row, no LF anywhere, blanks at line ends kept), the OK button as
// default and the information icon.
MessageBoxRequest helpMessage(HelpTopic topic);

// The topic a "More Info" label opens (labMoreResolution, labMoreInfoResFrame,
// labMoreInfoVSYNC, labMoreInfoFPS, labQuenorLogging); empty for any other name.
std::optional<HelpTopic> helpTopicOfLabel(std::string_view labelName);

}  // namespace quenor::ui
