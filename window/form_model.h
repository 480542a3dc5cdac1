#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "window/control.h"

namespace quenor::ui {

// The window's icon as the front ends must provide it.
struct WindowIcon {
    int widthPixels = 32;
    int heightPixels = 32;
    int colours = 16;

    friend bool operator==(const WindowIcon&, const WindowIcon&) = default;
};

// The window itself: object name, caption, client area size in twips, icon.
struct WindowLayout {
    std::string name;
    std::string caption;
    int clientWidth = 0;   // twips
    int clientHeight = 0;  // twips
    WindowIcon icon;
    bool centredOnFirstShow = true;
};

// A toolkit-free model of one window: its controls, their state, and the event rules
// that front ends and handlers rely on. Front ends draw the state and forward the
// user's input through the user*() members; handlers change state through the
// members below, which run nested click handlers the way the window toolkit would.
//
// Errors in the use of the model (an unknown control, a member of the wrong kind, an
// index outside a list) are programming errors and throw std::out_of_range or
// std::logic_error; bad layout data throws std::invalid_argument.
class FormModel {
  public:
    using OptionClickHandler = std::function<void(int index)>;
    using ClickHandler = std::function<void()>;
    using ChangeObserver = std::function<void(const Control&)>;
    using SubscriptionId = std::size_t;

    explicit FormModel(WindowLayout window);
    FormModel(FormModel&&) = default;
    FormModel& operator=(FormModel&&) = default;
    FormModel(const FormModel&) = delete;
    FormModel& operator=(const FormModel&) = delete;

    const WindowLayout& window() const { return window_; }

    // Adds a control after checking it against the controls already present: unique
    // name and index, unique tab index, an existing group as container, array members
    // of one kind. Not allowed while a handler or observer runs.
    void addControl(Control control);

    // Lookup. control() throws std::out_of_range naming the missing control.
    const Control& control(std::string_view name, int index = -1) const;
    const Control* find(std::string_view name, int index = -1) const;
    const std::vector<Control>& controls() const { return controls_; }

    // Option arrays: the member indexes in ascending order, and the selected member
    // (-1 when none is selected).
    std::vector<int> arrayIndexes(std::string_view arrayName) const;
    int selectedOption(std::string_view arrayName) const;

    // Enabled and inside enabled containers.
    bool isEffectivelyEnabled(const Control& control) const;

    // Position relative to the window's client area (container offsets added).
    TwipPoint absolutePosition(const Control& control) const;

    // All controls by ascending tab index.
    std::vector<const Control*> tabOrder() const;

    // The control that gets the focus when the window is first shown: the first in tab
    // order that can take it (not a label, not a group, enabled). nullptr when none.
    const Control* firstFocus() const;

    // Handlers, one per control name; registering again replaces the handler, an empty
    // function removes it. onOptionClick takes an option array's name; onClick takes a
    // label, command button or drop-down list.
    void onOptionClick(std::string_view arrayName, OptionClickHandler handler);
    void onClick(std::string_view name, ClickHandler handler);

    // Observers are told of every change of a control's state (selected, enabled, text,
    // selected entry, caption), once per changed control, before any handler that the
    // change runs.
    SubscriptionId subscribe(ChangeObserver observer);
    void unsubscribe(SubscriptionId id);

    // Changes from code.
    //
    // selectOption: when the member is not yet selected, deselects the other option
    // buttons of its container, selects it and runs the array's click handler with its
    // index before returning. Selecting the selected member does nothing.
    void selectOption(std::string_view arrayName, int index);
    // setSelectedEntry: -1 clears the selection. A change runs the list's click handler
    // before returning; setting the current entry again runs nothing.
    void setSelectedEntry(std::string_view listName, int entry);
    // Text and enabled state never run a handler. Text set from code is kept whole even
    // beyond the box's maximum length (the limit applies to what the user types).
    void setText(std::string_view textBoxName, std::string text);
    void setEnabled(std::string_view name, bool enabled) { setEnabled(name, -1, enabled); }
    void setEnabled(std::string_view name, int index, bool enabled);
    void setCaption(std::string_view name, std::string caption) {
        setCaption(name, -1, std::move(caption));
    }
    void setCaption(std::string_view name, int index, std::string caption);

    // User input, as the front ends forward it. The click and pick members return
    // whether the input changed anything or ran a handler.
    //
    // A click on an option button: ignored when disabled or already selected.
    bool userClickOption(std::string_view arrayName, int index);
    // An entry picked from a list (0 .. entries-1): ignored when disabled; runs the
    // handler only when the selection changes.
    bool userPickEntry(std::string_view listName, int entry);
    // The text box's new content as the user typed it: returns whether it was accepted;
    // refused (old text kept) when the box is disabled or the text is longer than the
    // maximum length in characters. Runs no handler.
    bool userEditText(std::string_view textBoxName, std::string text);
    // A click on a label (always runs its handler), a command button (only when
    // enabled) or a group (does nothing). Other kinds have their own members above.
    bool userClick(std::string_view name);

  private:
    std::size_t positionOf(std::string_view name, int index) const;
    std::size_t positionOf(std::string_view name, int index, ControlKind expected) const;
    const Control* findGroup(std::string_view name) const;
    void changed(std::size_t position);
    void runOptionHandler(const std::string& arrayName, int index);
    void runClickHandler(const std::string& name);

    // Counts the handlers and observers running, so no control is added meanwhile.
    class DispatchScope;

    WindowLayout window_;
    std::vector<Control> controls_;
    std::map<std::string, OptionClickHandler, std::less<>> optionHandlers_;
    std::map<std::string, ClickHandler, std::less<>> clickHandlers_;
    std::vector<std::pair<SubscriptionId, ChangeObserver>> observers_;
    SubscriptionId nextSubscription_ = 1;
    int dispatchDepth_ = 0;
};

// Number of characters in a UTF-8 text (continuation bytes are not counted).
std::size_t characterCount(std::string_view utf8);

}  // namespace quenor::ui
