#include "window/testing/scripted_input.h"

#include <stdexcept>

namespace quenor::ui::testing {

void clickControl(FormModel& form, std::string_view name, int index) {
    const bool accepted = index >= 0 ? form.userClickOption(name, index) : form.userClick(name);
    if (!accepted) {
        throw std::logic_error("the window refused a click on " + std::string(name) +
                               (index >= 0 ? "(" + std::to_string(index) + ")" : ""));
    }
}

void typeInto(FormModel& form, std::string_view textBox, std::string text) {
    if (!form.userEditText(textBox, std::move(text))) {
        throw std::logic_error("the window refused typing into " + std::string(textBox));
    }
}

void pickEntry(FormModel& form, std::string_view list, int entry) {
    if (!form.userPickEntry(list, entry)) {
        throw std::logic_error("the window refused picking entry " + std::to_string(entry) +
                               " in " + std::string(list));
    }
}

}  // namespace quenor::ui::testing
