// The Win32 front end over the tool's real window model, run under Windows (Wine in CI):
// controls where the layout puts them, input forwarded to the model, state redrawn from it.
#include <gtest/gtest.h>

#include <string>

#include "core/choices.h"
#include "core/testing/tool_fixture.h"
#include "lib/registry/testing/memory_store.h"
#include "window/quenor_layout.h"
#include "window/win32/win32_quenor_window.h"

namespace quenor::ui::win32 {
namespace {

namespace names = control_names;

std::wstring className(HWND handle) {
    wchar_t name[64] = {};
    GetClassNameW(handle, name, 64);
    return name;
}

std::wstring textOf(HWND handle) {
    wchar_t text[256] = {};
    GetWindowTextW(handle, text, 256);
    return text;
}

TEST(TwipConversionTest, RoundsEachEdgeToTheNearestPixel) {
    const struct {
        int twips;
        int dpi;
        int pixels;
    } cases[] = {{1440, 96, 96}, {15, 96, 1}, {7, 96, 0},    {8, 96, 1},     {1440, 120, 120},
                 {12, 120, 1},   {0, 144, 0}, {-15, 96, -1}, {4815, 96, 321}};
    for (const auto& c : cases) {
        EXPECT_EQ(twipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
    }
    // Two controls that touch in twips touch in pixels, whatever the rounding of each.
    const RECT first = twipsToPixels(TwipRect{7, 0, 22, 10}, 96);
    const RECT second = twipsToPixels(TwipRect{29, 0, 22, 10}, 96);
    EXPECT_EQ(first.right, second.left);
    EXPECT_EQ(fontHeight(8.0, 96), -11);
    EXPECT_EQ(fontHeight(8.25, 120), -14);
    EXPECT_EQ(fontHeight(0.1, 96), -1);
}

class Win32WindowTest : public ::testing::Test {
  protected:
    Win32WindowTest() : fixture(store), quenor(fixture.tool()) {}

    void SetUp() override {
        ASSERT_TRUE(quenor.Form_Load());
        window = std::make_unique<QuenorWindow>(quenor, 96);
    }

    HWND handle(std::string_view name, int index = -1) {
        return window->view().handleFor(name, index);
    }

    reg::MemoryStore store;
    quenor::testing::ToolFixture fixture;
    Quenor quenor;
    std::unique_ptr<QuenorWindow> window;
};

TEST_F(Win32WindowTest, EveryControlIsAStandardControlAtItsTwipPosition) {
    const FormModel& form = quenor.form();
    int drawn = 0;
    for (const Control& control : form.controls()) {
        HWND h = handle(control.key.name, control.key.index);
        if (control.kind == ControlKind::Group) {
            EXPECT_EQ(h, nullptr) << describe(control.key);
            continue;
        }
        ASSERT_NE(h, nullptr) << describe(control.key);
        ++drawn;
        // Other programs find the control by the id controlIdOf gives.
        EXPECT_EQ(GetDlgCtrlID(h), controlIdOf(form, control.key.name, control.key.index))
            << describe(control.key);
        const std::wstring expectedClass = control.kind == ControlKind::Label          ? L"Static"
                                           : control.kind == ControlKind::TextBox      ? L"Edit"
                                           : control.kind == ControlKind::DropDownList ? L"ComboBox"
                                                                                       : L"Button";
        EXPECT_EQ(_wcsicmp(className(h).c_str(), expectedClass.c_str()), 0)
            << describe(control.key);
        RECT rect{};
        GetWindowRect(h, &rect);
        MapWindowPoints(HWND_DESKTOP, window->handle(), reinterpret_cast<POINT*>(&rect), 2);
        const TwipPoint at = form.absolutePosition(control);
        EXPECT_EQ(rect.left, twipsToPixels(at.left, 96)) << describe(control.key);
        EXPECT_EQ(rect.top, twipsToPixels(at.top, 96)) << describe(control.key);
        EXPECT_EQ(rect.right - rect.left,
                  twipsToPixels(at.left + control.bounds.width, 96) - twipsToPixels(at.left, 96))
            << describe(control.key);
        EXPECT_EQ(IsWindowEnabled(h) != FALSE, form.isEffectivelyEnabled(control))
            << describe(control.key);
        if (control.kind == ControlKind::Label || control.kind == ControlKind::CommandButton) {
            EXPECT_EQ(textOf(h).size(), control.caption.size()) << describe(control.key);
        }
        // Every control is drawn in Arial.
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0));
        LOGFONTW info{};
        ASSERT_NE(GetObjectW(font, sizeof info, &info), 0) << describe(control.key);
        EXPECT_STREQ(info.lfFaceName, L"Arial") << describe(control.key);
    }
    EXPECT_GT(drawn, 30);
    EXPECT_EQ(controlIdOf(form, "noSuchControl"), 0);
    EXPECT_EQ(controlIdOf(form, names::kOptResolution, 99), 0);
    // The client area is the form's.
    RECT client{};
    GetClientRect(window->handle(), &client);
    EXPECT_EQ(client.right, twipsToPixels(form.window().clientWidth, 96));
    EXPECT_EQ(client.bottom, twipsToPixels(form.window().clientHeight, 96));
}

TEST_F(Win32WindowTest, ClicksGoToTheModelAndItsChangesAreRedrawn) {
    // "User Defined" enables the size boxes through the window's own handler.
    HWND userDefined = handle(names::kOptResolution, resolution::kUserDefined);
    ASSERT_NE(userDefined, nullptr);
    SendMessageW(userDefined, BM_CLICK, 0, 0);
    EXPECT_EQ(quenor.form().selectedOption(names::kOptResolution), resolution::kUserDefined);
    EXPECT_EQ(SendMessageW(userDefined, BM_GETCHECK, 0, 0), BST_CHECKED);
    HWND width = handle(names::kTxtResWidth);
    EXPECT_TRUE(IsWindowEnabled(width));
    EXPECT_TRUE(IsWindowEnabled(handle(names::kLstResFrame)));

    // Only one option of the group is shown selected.
    for (int index : quenor.form().arrayIndexes(names::kOptResolution)) {
        if (index == resolution::kUserDefined) continue;
        EXPECT_EQ(SendMessageW(handle(names::kOptResolution, index), BM_GETCHECK, 0, 0),
                  BST_UNCHECKED)
            << index;
    }

    // Typing goes to the model; text beyond the box's limit is refused and the old text shown.
    SetWindowTextW(width, L"1600");
    EXPECT_EQ(quenor.form().control(names::kTxtResWidth).text, "1600");
    SetWindowTextW(width, L"16000");
    EXPECT_EQ(quenor.form().control(names::kTxtResWidth).text, "1600");
    EXPECT_EQ(textOf(width), L"1600");

    // A pick in the frame list.
    HWND frames = handle(names::kLstResFrame);
    SendMessageW(frames, CB_SETCURSEL, 2, 0);
    SendMessageW(window->handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(frames), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(frames));
    EXPECT_EQ(quenor.form().control(names::kLstResFrame).selectedEntry, 2);

    // A change made by code is drawn.
    quenor.form().selectOption(names::kOptResolution, 0);
    EXPECT_EQ(SendMessageW(userDefined, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(handle(names::kOptResolution, 0), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(width));
}

TEST_F(Win32WindowTest, TheWindowCarriesTheProgramsOwnIcon) {
    const auto icon = reinterpret_cast<HICON>(GetClassLongPtrW(window->handle(), GCLP_HICON));
    ASSERT_NE(icon, nullptr);
    EXPECT_NE(icon, LoadIconA(nullptr, IDI_APPLICATION));
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP colour{};
    ASSERT_NE(GetObjectW(info.hbmColor, sizeof colour, &colour), 0);
    EXPECT_EQ(colour.bmWidth, 32);
    EXPECT_EQ(colour.bmHeight, 32);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

TEST_F(Win32WindowTest, ClosingTheWindowUnloadsTheForm) {
    SendMessageW(window->handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(quenor.unloaded());
    const auto lines = fixture.logMessages();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Quenor Unload - OK");
    EXPECT_EQ(lines.back(), std::string(54, '*'));
}

}  // namespace
}  // namespace quenor::ui::win32
