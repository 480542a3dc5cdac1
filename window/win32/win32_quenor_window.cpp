#include "window/win32/win32_quenor_window.h"

#include <stdexcept>
#include <string>

#include "window/win32/icon_resource.h"
#include "window/win32/utf16_text.h"

namespace quenor::ui::win32 {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

void registerClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // The program's own icon; a program built without it gets the system's.
    windowClass.hIcon = LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(QUENOR_ICON_RESOURCE));
    if (windowClass.hIcon == nullptr) windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kQuenorWindowClass;
    if (RegisterClassExW(&windowClass) == 0) {
        throw std::runtime_error("the window class cannot be registered (error " +
                                 std::to_string(GetLastError()) + ")");
    }
    registered = true;
}

}  // namespace

int screenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

QuenorWindow::QuenorWindow(Quenor& quenor, int dpi) : quenor_(quenor) {
    registerClass();
    const WindowLayout& layout = quenor_.form().window();
    RECT frame{0, 0, twipsToPixels(layout.clientWidth, dpi),
               twipsToPixels(layout.clientHeight, dpi)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    window_ =
        CreateWindowExW(0, kQuenorWindowClass, widen(layout.caption).c_str(), kStyle, CW_USEDEFAULT,
                        CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                        nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr) {
        throw std::runtime_error("the window cannot be created (error " +
                                 std::to_string(GetLastError()) + ")");
    }
    view_ = std::make_unique<FormView>(quenor_.form(), window_, dpi);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&QuenorWindow::procedure));
    quenor_.onCloseRequested([this] {
        if (window_ != nullptr) DestroyWindow(window_);
    });
}

QuenorWindow::~QuenorWindow() {
    quenor_.onCloseRequested(nullptr);
    view_.reset();
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void QuenorWindow::showCentred() {
    RECT frame{};
    GetWindowRect(window_, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(window_, nullptr, left > 0 ? left : 0, top > 0 ? top : 0, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    view_->focusFirstControl();
}

int QuenorWindow::runMessageLoop() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Tab and the arrow keys move between the controls as in a dialog.
        if (window_ != nullptr && IsDialogMessageW(window_, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

LRESULT CALLBACK QuenorWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<QuenorWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT QuenorWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (view_ && view_->command(wParam, lParam)) return 0;
            break;
        case WM_SETCURSOR:
            if (view_ && view_->setCursor(reinterpret_cast<HWND>(wParam))) return TRUE;
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            if (view_) {
                if (HBRUSH brush = view_->colour(reinterpret_cast<HDC>(wParam),
                                                 reinterpret_cast<HWND>(lParam))) {
                    return reinterpret_cast<LRESULT>(brush);
                }
            }
            break;
        case WM_CLOSE:
            // Any close unloads the form, with no question asked; unloading twice does nothing.
            quenor_.Form_Unload();
            DestroyWindow(window_);
            return 0;
        case WM_DESTROY:
            window_ = nullptr;
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace quenor::ui::win32
