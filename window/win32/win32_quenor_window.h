#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <memory>

#include "window/quenor_window.h"
#include "window/win32/win32_form_view.h"

namespace quenor::ui::win32 {

// The window class of the tool's window, by which other programs can find it.
inline constexpr const wchar_t* kQuenorWindowClass = L"QuenorWindow";

// The screen's density in dots per inch (96 when it cannot be read).
int screenDpi();

// The tool's window as a native Win32 window: a fixed-size top-level window whose client
// area is the form's, with the form's caption, drawn by FormView. Closing it by any means
// unloads the form (Form_Unload); "Quit" closes it after its own unload.
class QuenorWindow {
  public:
    // Creates the window hidden; the caller has run Form_Load.
    QuenorWindow(Quenor& quenor, int dpi);
    ~QuenorWindow();
    QuenorWindow(const QuenorWindow&) = delete;
    QuenorWindow& operator=(const QuenorWindow&) = delete;

    HWND handle() const { return window_; }
    FormView& view() { return *view_; }

    // Shows the window centred on the screen, with the focus on the first control.
    void showCentred();
    // Runs messages until the window is destroyed; returns the quit code.
    int runMessageLoop();

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    Quenor& quenor_;
    HWND window_ = nullptr;
    std::unique_ptr<FormView> view_;
};

}  // namespace quenor::ui::win32
