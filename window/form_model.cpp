#include "window/form_model.h"

#include <algorithm>
#include <stdexcept>

namespace quenor::ui {

namespace {

std::string quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

}  // namespace

FormModel::FormModel(WindowLayout window) : window_(std::move(window)) {
    if (window_.name.empty()) throw std::invalid_argument("a window needs a name");
    if (window_.clientWidth <= 0 || window_.clientHeight <= 0) {
        throw std::invalid_argument("window " + quoted(window_.name) +
                                    ": the client area must be wider and higher than 0 twips");
    }
}

void FormModel::addControl(Control control) {
    const std::string where =
        "window " + quoted(window_.name) + ", control " + quoted(describe(control.key)) + ": ";
    if (dispatchDepth_ > 0) {
        throw std::logic_error(where + "controls cannot be added while a handler runs");
    }
    if (control.key.name.empty()) throw std::invalid_argument(where + "the name is empty");
    if (control.key.index < -1) throw std::invalid_argument(where + "the index is below -1");
    if (control.bounds.width < 0 || control.bounds.height < 0) {
        throw std::invalid_argument(where + "width and height must not be negative");
    }
    if (control.tabIndex < 0) throw std::invalid_argument(where + "the tab index is negative");
    if (control.maxLength < 0) {
        throw std::invalid_argument(where + "the maximum length is negative");
    }
    if (control.selectedEntry < -1 ||
        control.selectedEntry >= static_cast<int>(control.entries.size())) {
        throw std::invalid_argument(where + "the selected entry is not one of its " +
                                    std::to_string(control.entries.size()) + " entries");
    }
    if (control.selected && control.kind != ControlKind::OptionButton) {
        throw std::invalid_argument(where + "only option buttons can be selected");
    }
    if (control.key.index >= 0 && control.kind == ControlKind::Group) {
        throw std::invalid_argument(where + "a group cannot be an array member");
    }

    for (const Control& other : controls_) {
        if (other.key.name == control.key.name) {
            if (other.key.index == control.key.index) {
                throw std::invalid_argument(where + "a control with this name and index exists");
            }
            if ((other.key.index < 0) != (control.key.index < 0)) {
                throw std::invalid_argument(where +
                                            "the name is used both inside and outside "
                                            "an array");
            }
            if (other.kind != control.kind) {
                throw std::invalid_argument(where + "array members must all be of one kind");
            }
        }
        if (other.tabIndex == control.tabIndex) {
            throw std::invalid_argument(where + "tab index " + std::to_string(control.tabIndex) +
                                        " is already used by " + quoted(describe(other.key)));
        }
        if (control.selected && other.selected && other.container == control.container) {
            throw std::invalid_argument(where + "another option button of its container, " +
                                        quoted(describe(other.key)) + ", is already selected");
        }
    }
    if (!control.container.empty() && findGroup(control.container) == nullptr) {
        throw std::invalid_argument(where + "its container " + quoted(control.container) +
                                    " is not a group added before it");
    }
    controls_.push_back(std::move(control));
}

const Control* FormModel::find(std::string_view name, int index) const {
    for (const Control& control : controls_) {
        if (control.key.name == name && control.key.index == index) return &control;
    }
    return nullptr;
}

const Control& FormModel::control(std::string_view name, int index) const {
    return controls_[positionOf(name, index)];
}

std::size_t FormModel::positionOf(std::string_view name, int index) const {
    for (std::size_t position = 0; position < controls_.size(); ++position) {
        const ControlKey& key = controls_[position].key;
        if (key.name == name && key.index == index) return position;
    }
    throw std::out_of_range("window " + quoted(window_.name) + " has no control " +
                            quoted(describe(ControlKey{std::string(name), index})));
}

std::size_t FormModel::positionOf(std::string_view name, int index, ControlKind expected) const {
    const std::size_t position = positionOf(name, index);
    const ControlKind actual = controls_[position].kind;
    if (actual != expected) {
        throw std::logic_error("window " + quoted(window_.name) + ": " +
                               quoted(describe(controls_[position].key)) + " is a " +
                               controlKindName(actual) + ", not a " + controlKindName(expected));
    }
    return position;
}

const Control* FormModel::findGroup(std::string_view name) const {
    const Control* group = find(name);
    return group != nullptr && group->kind == ControlKind::Group ? group : nullptr;
}

std::vector<int> FormModel::arrayIndexes(std::string_view arrayName) const {
    std::vector<int> indexes;
    for (const Control& control : controls_) {
        if (control.key.name == arrayName && control.key.index >= 0) {
            indexes.push_back(control.key.index);
        }
    }
    std::sort(indexes.begin(), indexes.end());
    return indexes;
}

int FormModel::selectedOption(std::string_view arrayName) const {
    bool found = false;
    for (const Control& control : controls_) {
        if (control.key.name != arrayName) continue;
        if (control.kind != ControlKind::OptionButton) break;
        found = true;
        if (control.selected) return control.key.index;
    }
    if (!found) {
        throw std::out_of_range("window " + quoted(window_.name) + " has no option array " +
                                quoted(arrayName));
    }
    return -1;
}

bool FormModel::isEffectivelyEnabled(const Control& control) const {
    const Control* current = &control;
    // Containers are added before their children, so the chain always ends.
    while (current != nullptr) {
        if (!current->enabled) return false;
        current = current->container.empty() ? nullptr : findGroup(current->container);
    }
    return true;
}

TwipPoint FormModel::absolutePosition(const Control& control) const {
    TwipPoint point{control.bounds.left, control.bounds.top};
    const Control* container = control.container.empty() ? nullptr : findGroup(control.container);
    while (container != nullptr) {
        point.left += container->bounds.left;
        point.top += container->bounds.top;
        container = container->container.empty() ? nullptr : findGroup(container->container);
    }
    return point;
}

std::vector<const Control*> FormModel::tabOrder() const {
    std::vector<const Control*> order;
    order.reserve(controls_.size());
    for (const Control& control : controls_) order.push_back(&control);
    std::sort(order.begin(), order.end(),
              [](const Control* a, const Control* b) { return a->tabIndex < b->tabIndex; });
    return order;
}

const Control* FormModel::firstFocus() const {
    for (const Control* control : tabOrder()) {
        if (control->canTakeFocus() && isEffectivelyEnabled(*control)) return control;
    }
    return nullptr;
}

std::size_t characterCount(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char byte) {
        return (static_cast<unsigned char>(byte) & 0xC0U) != 0x80U;
    }));
}

}  // namespace quenor::ui
