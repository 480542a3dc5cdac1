#pragma once

#include <string>
#include <string_view>

#include "window/form_model.h"

namespace quenor::ui::testing {

// The user's input by control name, for drivers that run the window without a screen.
// Input the window refuses (a hidden or disabled control, an unknown name) throws
// std::logic_error naming the control, so a script that went wrong stops there.

// An option-array member when index >= 0, else a button or label.
void clickControl(FormModel& form, std::string_view name, int index = -1);
void typeInto(FormModel& form, std::string_view textBox, std::string text);
void pickEntry(FormModel& form, std::string_view list, int entry);

}  // namespace quenor::ui::testing
