#include "window/control.h"

namespace quenor::ui {

const char* controlKindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
            return "label";
        case ControlKind::TextBox:
            return "text box";
        case ControlKind::Group:
            return "group";
        case ControlKind::OptionButton:
            return "option button";
        case ControlKind::DropDownList:
            return "drop-down list";
        case ControlKind::CommandButton:
            return "command button";
    }
    return "control";
}

std::string describe(const ControlKey& key) {
    if (key.index < 0) return key.name;
    return key.name + "(" + std::to_string(key.index) + ")";
}

}  // namespace quenor::ui
