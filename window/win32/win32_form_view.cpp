#include "window/win32/win32_form_view.h"

#include <cmath>
#include <stdexcept>

#include "window/win32/utf16_text.h"

namespace quenor::ui::win32 {
namespace {

constexpr int kFirstId = 1000;

std::wstring windowText(HWND handle) {
    const int length = GetWindowTextLengthW(handle);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(handle, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

// The window's default font when a control names none.
const Font kDefaultFont{"Arial", 8.0, false, false, false};

}  // namespace

int twipsToPixels(int twips, int dpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

RECT twipsToPixels(const TwipRect& absolute, int dpi) {
    RECT rect;
    rect.left = twipsToPixels(absolute.left, dpi);
    rect.top = twipsToPixels(absolute.top, dpi);
    rect.right = twipsToPixels(absolute.left + absolute.width, dpi);
    rect.bottom = twipsToPixels(absolute.top + absolute.height, dpi);
    return rect;
}

int fontHeight(double points, int dpi) {
    const long pixels = std::lround(points * dpi / 72.0);
    return -static_cast<int>(pixels < 1 ? 1 : pixels);
}

int controlIdOf(const FormModel& form, std::string_view name, int index) {
    int id = kFirstId;
    for (const Control* control : form.tabOrder()) {
        if (control->key.name == name && control->key.index == index) return id;
        ++id;
    }
    return 0;
}

FormView::FormView(FormModel& form, HWND parent, int dpi)
    : form_(form), parent_(parent), dpi_(dpi) {
    if (dpi_ <= 0) throw std::invalid_argument("the screen density must be positive");
    background_ = GetSysColorBrush(COLOR_BTNFACE);
    // Created in tab order: the dialog navigation of Windows follows the creation order.
    for (const Control* control : form_.tabOrder()) create(*control);
    subscription_ = form_.subscribe([this](const Control& control) {
        redraw(control);
        if (control.kind == ControlKind::Group) redrawContents(control.key.name);
    });
}

FormView::~FormView() {
    form_.unsubscribe(subscription_);
    for (Drawn& drawn : drawn_) {
        if (drawn.handle != nullptr) DestroyWindow(drawn.handle);
    }
    for (auto& [font, handle] : fonts_) DeleteObject(handle);
}

HWND FormView::handleFor(std::string_view name, int index) const {
    const auto found = handles_.find(std::pair<std::string, int>(std::string(name), index));
    return found == handles_.end() ? nullptr : found->second;
}

HFONT FormView::fontFor(const std::optional<Font>& font) {
    const Font& wanted = font ? *font : kDefaultFont;
    for (const auto& [known, handle] : fonts_) {
        if (known == wanted) return handle;
    }
    HFONT handle =
        CreateFontW(fontHeight(wanted.points, dpi_), 0, 0, 0, wanted.bold ? FW_BOLD : FW_NORMAL,
                    wanted.italic ? TRUE : FALSE, wanted.underline ? TRUE : FALSE, FALSE,
                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_SWISS, widen(wanted.name).c_str());
    fonts_.emplace_back(wanted, handle);
    return handle;
}

void FormView::create(const Control& control) {
    // The tab-order position, as controlIdOf counts it.
    const int id = kFirstId + static_cast<int>(drawn_.size());
    drawn_.push_back(Drawn{control.key, nullptr});
    if (control.kind == ControlKind::Group) return;

    const wchar_t* windowClass = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD extended = 0;
    const TwipPoint at = form_.absolutePosition(control);
    RECT rect =
        twipsToPixels(TwipRect{at.left, at.top, control.bounds.width, control.bounds.height}, dpi_);
    switch (control.kind) {
        case ControlKind::Label:
            style |= SS_LEFT | SS_NOTIFY | SS_NOPREFIX;
            break;
        case ControlKind::TextBox:
            windowClass = L"EDIT";
            style |= WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
            extended = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::OptionButton:
            // Not an automatic radio button: the model decides what a click selects.
            windowClass = L"BUTTON";
            style |= WS_TABSTOP | BS_RADIOBUTTON;
            break;
        case ControlKind::DropDownList:
            windowClass = L"COMBOBOX";
            style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
            // A combo box's height includes its open list.
            rect.bottom += (rect.bottom - rect.top) * static_cast<LONG>(control.entries.size() + 1);
            break;
        case ControlKind::CommandButton:
            windowClass = L"BUTTON";
            style |= WS_TABSTOP | BS_PUSHBUTTON;
            break;
        case ControlKind::Group:
            return;
    }
    HWND handle = CreateWindowExW(extended, windowClass, L"", style, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent_,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  GetModuleHandleW(nullptr), nullptr);
    if (handle == nullptr) {
        throw std::runtime_error("the window cannot draw " + describe(control.key) +
                                 ": creating its control failed (error " +
                                 std::to_string(GetLastError()) + ")");
    }
    drawn_.back().handle = handle;
    handles_[{control.key.name, control.key.index}] = handle;
    SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(control.font)), FALSE);
    if (control.kind == ControlKind::DropDownList) {
        for (const std::string& entry : control.entries) {
            SendMessageW(handle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(entry).c_str()));
        }
    }
    redraw(control);
}

void FormView::redraw(const Control& control) {
    HWND handle = handleFor(control.key.name, control.key.index);
    if (handle == nullptr) return;
    updating_ = true;
    EnableWindow(handle, form_.isEffectivelyEnabled(control) ? TRUE : FALSE);
    switch (control.kind) {
        case ControlKind::Label:
        case ControlKind::CommandButton:
            SetWindowTextW(handle, widen(control.caption).c_str());
            break;
        case ControlKind::OptionButton:
            SetWindowTextW(handle, widen(control.caption).c_str());
            SendMessageW(handle, BM_SETCHECK, control.selected ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case ControlKind::TextBox: {
            const std::wstring text = widen(control.text);
            if (windowText(handle) != text) SetWindowTextW(handle, text.c_str());
            break;
        }
        case ControlKind::DropDownList:
            SendMessageW(handle, CB_SETCURSEL, static_cast<WPARAM>(control.selectedEntry), 0);
            break;
        case ControlKind::Group:
            break;
    }
    updating_ = false;
}

void FormView::redrawContents(const std::string& group) {
    for (const Control& control : form_.controls()) {
        if (control.container != group) continue;
        redraw(control);
        if (control.kind == ControlKind::Group) redrawContents(control.key.name);
    }
}

const FormView::Drawn* FormView::drawnFor(HWND handle) const {
    for (const Drawn& drawn : drawn_) {
        if (drawn.handle == handle && handle != nullptr) return &drawn;
    }
    return nullptr;
}

bool FormView::command(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (id < kFirstId || id >= kFirstId + static_cast<int>(drawn_.size())) return false;
    const Drawn& drawn = drawn_[static_cast<std::size_t>(id - kFirstId)];
    if (drawn.handle == nullptr || reinterpret_cast<HWND>(lParam) != drawn.handle) return false;
    if (updating_) return true;
    const Control& control = form_.control(drawn.key.name, drawn.key.index);
    const std::string& name = drawn.key.name;
    switch (control.kind) {
        case ControlKind::Label:
            if (code == STN_CLICKED) form_.userClick(name);
            break;
        case ControlKind::CommandButton:
            if (code == BN_CLICKED) form_.userClick(name);
            break;
        case ControlKind::OptionButton:
            if (code == BN_CLICKED) form_.userClickOption(name, drawn.key.index);
            // The model may have refused the click; show what it holds.
            redraw(form_.control(name, drawn.key.index));
            break;
        case ControlKind::TextBox:
            if (code == EN_CHANGE) {
                const std::string typed = narrow(windowText(drawn.handle));
                if (typed != control.text && !form_.userEditText(name, typed)) {
                    // Refused: show the model's text again, caret at its end.
                    redraw(form_.control(name));
                    const auto length = static_cast<WPARAM>(GetWindowTextLengthW(drawn.handle));
                    SendMessageW(drawn.handle, EM_SETSEL, length, static_cast<LPARAM>(length));
                }
            }
            break;
        case ControlKind::DropDownList:
            if (code == CBN_SELCHANGE) {
                const auto entry = static_cast<int>(SendMessageW(drawn.handle, CB_GETCURSEL, 0, 0));
                if (entry >= 0) form_.userPickEntry(name, entry);
                redraw(form_.control(name));
            }
            break;
        case ControlKind::Group:
            break;
    }
    return true;
}

bool FormView::setCursor(HWND over) {
    const Drawn* drawn = drawnFor(over);
    if (drawn == nullptr) return false;
    if (!form_.control(drawn->key.name, drawn->key.index).helpLink) return false;
    SetCursor(LoadCursorA(nullptr, IDC_HELP));
    return true;
}

HBRUSH FormView::colour(HDC dc, HWND handle) {
    const Drawn* drawn = drawnFor(handle);
    if (drawn == nullptr) return nullptr;
    const Control& control = form_.control(drawn->key.name, drawn->key.index);
    if (control.textColour.source == TextColour::Source::PlatformDefault) return nullptr;
    if (!IsWindowEnabled(handle)) return nullptr;  // disabled text stays grey
    const Rgb rgb = control.textColour.rgb;
    SetTextColor(dc, control.textColour.source == TextColour::Source::Fixed
                         ? RGB(rgb.red, rgb.green, rgb.blue)
                         : GetSysColor(COLOR_WINDOWTEXT));
    if (control.kind == ControlKind::TextBox) {
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return GetSysColorBrush(COLOR_WINDOW);
    }
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return background_;
}

void FormView::focusFirstControl() {
    if (const Control* first = form_.firstFocus()) {
        if (HWND handle = handleFor(first->key.name, first->key.index)) SetFocus(handle);
    }
}

}  // namespace quenor::ui::win32
