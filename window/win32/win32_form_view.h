#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "window/form_model.h"

namespace quenor::ui::win32 {

// Twips to pixels on a screen of `dpi` dots per inch (1440 twips to the inch), rounded to
// the nearest pixel. Rectangles convert their edges, so touching controls still touch.
int twipsToPixels(int twips, int dpi);
RECT twipsToPixels(const TwipRect& absolute, int dpi);
// A font size in points as a (negative) character height in pixels, for CreateFont.
int fontHeight(double points, int dpi);

// The control id (GetDlgCtrlID) of the window FormView draws for a control of `form`, or 0
// for an unknown control. Ids follow the model's tab order, the order the view creates its
// controls in.
int controlIdOf(const FormModel& form, std::string_view name, int index = -1);

// Draws a form model with the standard Windows controls (static, button, edit, combo box)
// inside a parent window and forwards the user's input to the model. It holds no behaviour:
// clicks, picks and edits go to the model's user*() members, and every control is redrawn
// from the model's change notifications. Groups are borderless frames and draw nothing; a
// control inside a disabled group is drawn disabled.
//
// The parent's window procedure passes WM_COMMAND, WM_SETCURSOR and WM_CTLCOLOR* messages
// to the members below. The model and the parent must outlive the view.
class FormView {
  public:
    FormView(FormModel& form, HWND parent, int dpi);
    ~FormView();
    FormView(const FormView&) = delete;
    FormView& operator=(const FormView&) = delete;

    // The window drawing a control; null for groups and unknown controls.
    HWND handleFor(std::string_view name, int index = -1) const;

    // WM_COMMAND: true when it came from one of the view's controls.
    bool command(WPARAM wParam, LPARAM lParam);
    // WM_SETCURSOR: true when the cursor was set (the help pointer over a help link).
    bool setCursor(HWND over);
    // WM_CTLCOLORSTATIC / EDIT / BTN: the brush to return when the control has a text
    // colour of its own, or null to leave the message to DefWindowProc.
    HBRUSH colour(HDC dc, HWND control);

    // Gives the keyboard focus to the model's first control in tab order.
    void focusFirstControl();

  private:
    struct Drawn {
        ControlKey key;
        HWND handle = nullptr;
    };

    void create(const Control& control);
    void redraw(const Control& control);
    void redrawContents(const std::string& group);
    const Drawn* drawnFor(HWND handle) const;
    HFONT fontFor(const std::optional<Font>& font);

    FormModel& form_;
    HWND parent_;
    int dpi_;
    std::vector<Drawn> drawn_;  // in tab order: the control ids (controlIdOf)
    std::map<std::pair<std::string, int>, HWND, std::less<>> handles_;
    std::vector<std::pair<Font, HFONT>> fonts_;
    HBRUSH background_ = nullptr;
    bool updating_ = false;  // set while the view itself changes a control
    FormModel::SubscriptionId subscription_ = 0;
};

}  // namespace quenor::ui::win32
