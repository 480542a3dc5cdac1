// The event side of the form model: changes from code, user input, handlers and
// observers.
#include <stdexcept>

#include "window/form_model.h"

namespace quenor::ui {

namespace {

std::string quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

}  // namespace

class FormModel::DispatchScope {
  public:
    explicit DispatchScope(int& depth) : depth_(depth) { ++depth_; }
    ~DispatchScope() { --depth_; }
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;

  private:
    int& depth_;
};

void FormModel::onOptionClick(std::string_view arrayName, OptionClickHandler handler) {
    bool isArray = false;
    for (const Control& control : controls_) {
        if (control.key.name == arrayName && control.key.index >= 0 &&
            control.kind == ControlKind::OptionButton) {
            isArray = true;
            break;
        }
    }
    if (!isArray) {
        throw std::out_of_range("window " + quoted(window_.name) + " has no option array " +
                                quoted(arrayName) + " to handle clicks of");
    }
    if (handler) {
        optionHandlers_.insert_or_assign(std::string(arrayName), std::move(handler));
    } else if (auto found = optionHandlers_.find(arrayName); found != optionHandlers_.end()) {
        optionHandlers_.erase(found);
    }
}

void FormModel::onClick(std::string_view name, ClickHandler handler) {
    const Control& target = control(name);
    if (target.kind != ControlKind::Label && target.kind != ControlKind::CommandButton &&
        target.kind != ControlKind::DropDownList) {
        throw std::logic_error("window " + quoted(window_.name) + ": " + quoted(name) + " is a " +
                               controlKindName(target.kind) +
                               "; click handlers are for labels, command buttons and lists");
    }
    if (handler) {
        clickHandlers_.insert_or_assign(std::string(name), std::move(handler));
    } else if (auto found = clickHandlers_.find(name); found != clickHandlers_.end()) {
        clickHandlers_.erase(found);
    }
}

FormModel::SubscriptionId FormModel::subscribe(ChangeObserver observer) {
    if (!observer) throw std::invalid_argument("an observer must be callable");
    const SubscriptionId id = nextSubscription_++;
    observers_.emplace_back(id, std::move(observer));
    return id;
}

void FormModel::unsubscribe(SubscriptionId id) {
    std::erase_if(observers_, [id](const auto& entry) { return entry.first == id; });
}

void FormModel::changed(std::size_t position) {
    if (observers_.empty()) return;
    DispatchScope scope(dispatchDepth_);
    // A copy, so observers may subscribe or unsubscribe while being told.
    const auto observers = observers_;
    for (const auto& [id, observer] : observers) observer(controls_[position]);
}

void FormModel::runOptionHandler(const std::string& arrayName, int index) {
    const auto found = optionHandlers_.find(arrayName);
    if (found == optionHandlers_.end()) return;
    // A copy, so the handler may replace itself while it runs.
    const OptionClickHandler handler = found->second;
    DispatchScope scope(dispatchDepth_);
    handler(index);
}

void FormModel::runClickHandler(const std::string& name) {
    const auto found = clickHandlers_.find(name);
    if (found == clickHandlers_.end()) return;
    const ClickHandler handler = found->second;
    DispatchScope scope(dispatchDepth_);
    handler();
}

void FormModel::selectOption(std::string_view arrayName, int index) {
    const std::size_t position = positionOf(arrayName, index, ControlKind::OptionButton);
    if (controls_[position].selected) return;

    const std::string container = controls_[position].container;
    for (std::size_t other = 0; other < controls_.size(); ++other) {
        Control& sibling = controls_[other];
        if (other != position && sibling.selected && sibling.container == container) {
            sibling.selected = false;
            changed(other);
        }
    }
    controls_[position].selected = true;
    changed(position);
    // Observers cannot add controls, so the position and the name still hold.
    runOptionHandler(controls_[position].key.name, index);
}

void FormModel::setSelectedEntry(std::string_view listName, int entry) {
    const std::size_t position = positionOf(listName, -1, ControlKind::DropDownList);
    Control& list = controls_[position];
    if (entry < -1 || entry >= static_cast<int>(list.entries.size())) {
        throw std::out_of_range("window " + quoted(window_.name) + ": list " + quoted(listName) +
                                " has no entry " + std::to_string(entry) + " (it has " +
                                std::to_string(list.entries.size()) + ")");
    }
    if (list.selectedEntry == entry) return;
    list.selectedEntry = entry;
    changed(position);
    runClickHandler(controls_[position].key.name);
}

void FormModel::setText(std::string_view textBoxName, std::string text) {
    const std::size_t position = positionOf(textBoxName, -1, ControlKind::TextBox);
    if (controls_[position].text == text) return;
    controls_[position].text = std::move(text);
    changed(position);
}

void FormModel::setEnabled(std::string_view name, int index, bool enabled) {
    const std::size_t position = positionOf(name, index);
    if (controls_[position].enabled == enabled) return;
    controls_[position].enabled = enabled;
    changed(position);
}

void FormModel::setCaption(std::string_view name, int index, std::string caption) {
    const std::size_t position = positionOf(name, index);
    const ControlKind kind = controls_[position].kind;
    if (kind == ControlKind::TextBox || kind == ControlKind::DropDownList) {
        throw std::logic_error("window " + quoted(window_.name) + ": " + quoted(name) + " is a " +
                               controlKindName(kind) + " and has no caption");
    }
    if (controls_[position].caption == caption) return;
    controls_[position].caption = std::move(caption);
    changed(position);
}

bool FormModel::userClickOption(std::string_view arrayName, int index) {
    const std::size_t position = positionOf(arrayName, index, ControlKind::OptionButton);
    const Control& option = controls_[position];
    if (option.selected || !isEffectivelyEnabled(option)) return false;
    selectOption(arrayName, index);
    return true;
}

bool FormModel::userPickEntry(std::string_view listName, int entry) {
    const std::size_t position = positionOf(listName, -1, ControlKind::DropDownList);
    const Control& list = controls_[position];
    if (entry < 0 || entry >= static_cast<int>(list.entries.size())) {
        throw std::out_of_range("window " + quoted(window_.name) + ": the user cannot pick entry " +
                                std::to_string(entry) + " of list " + quoted(listName) +
                                ", which has " + std::to_string(list.entries.size()));
    }
    if (!isEffectivelyEnabled(list) || list.selectedEntry == entry) return false;
    setSelectedEntry(listName, entry);
    return true;
}

bool FormModel::userEditText(std::string_view textBoxName, std::string text) {
    const std::size_t position = positionOf(textBoxName, -1, ControlKind::TextBox);
    const Control& box = controls_[position];
    if (!isEffectivelyEnabled(box)) return false;
    if (box.maxLength > 0 && characterCount(text) > static_cast<std::size_t>(box.maxLength)) {
        return false;
    }
    setText(textBoxName, std::move(text));
    return true;
}

bool FormModel::userClick(std::string_view name) {
    const std::size_t position = positionOf(name, -1);
    const Control& target = controls_[position];
    switch (target.kind) {
        case ControlKind::Label:
            break;
        case ControlKind::CommandButton:
            if (!isEffectivelyEnabled(target)) return false;
            break;
        case ControlKind::Group:
            return false;
        default:
            throw std::logic_error("window " + quoted(window_.name) + ": " + quoted(name) +
                                   " is a " + controlKindName(target.kind) +
                                   "; forward its clicks through its own user input member");
    }
    const bool hasHandler = clickHandlers_.contains(name);
    runClickHandler(target.key.name);
    return hasHandler;
}

}  // namespace quenor::ui
