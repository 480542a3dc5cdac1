#pragma once

#include <string>
#include <utility>

#include "window/form_model.h"

namespace quenor::ui::test_support {

inline Control makeControl(ControlKind kind, std::string name, int index, int tab,
                           std::string container = "", TwipRect bounds = {0, 0, 100, 100}) {
    Control control;
    control.key = ControlKey{std::move(name), index};
    control.kind = kind;
    control.tabIndex = tab;
    control.container = std::move(container);
    control.bounds = bounds;
    return control;
}

// A small window: two groups each holding one option array, a list, a text box of at
// most 4 characters, a label and a command button.
inline FormModel makeSmallForm() {
    FormModel form(WindowLayout{"Test", "Test window", 3000, 3000, {}, true});
    form.addControl(makeControl(ControlKind::Group, "fraA", -1, 0, "", {100, 200, 1000, 1000}));
    form.addControl(makeControl(ControlKind::Group, "fraB", -1, 1, "", {1500, 200, 1000, 1000}));
    for (int i = 0; i < 3; ++i) {
        form.addControl(makeControl(ControlKind::OptionButton, "optA", i, 2 + i, "fraA"));
    }
    for (int i = 0; i < 2; ++i) {
        form.addControl(makeControl(ControlKind::OptionButton, "optB", i, 5 + i, "fraB"));
    }
    Control list = makeControl(ControlKind::DropDownList, "lst", -1, 7);
    list.entries = {"prompt", "one", "two"};
    form.addControl(list);
    Control box = makeControl(ControlKind::TextBox, "txt", -1, 8);
    box.maxLength = 4;
    form.addControl(box);
    form.addControl(makeControl(ControlKind::Label, "lab", -1, 9));
    form.addControl(makeControl(ControlKind::CommandButton, "btn", -1, 10));
    return form;
}

}  // namespace quenor::ui::test_support
