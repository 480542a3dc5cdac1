#include "host/screen_windows.h"

#include <windows.h>

namespace quenor::host::windows {

namespace {

// Asked at run time: the per-monitor awareness of Windows 10 1703 and later, else the
// system-wide one of Vista and later. (A manifest would do it too, but one with a
// compatibility section would change the version GetVersionExA tells the log.)
void becomeDpiAware() {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (user32) {
        // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
        const auto setContext = reinterpret_cast<SetContext>(
            reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
        if (setContext && setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)))) return;
    }
    SetProcessDPIAware();
}

// Under Wine the programs see the host's environment: without an X or Wayland display Wine
// has none to show the game on, and makes up a primary display of 1024 x 768.
bool underWineWithoutDisplay() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return false;
    const auto set = [](const wchar_t* name) {
        wchar_t value[2];
        return GetEnvironmentVariableW(name, value, 2) > 0;
    };
    return !set(L"DISPLAY") && !set(L"WAYLAND_DISPLAY");
}

}  // namespace

Screen primaryDisplay() {
    if (underWineWithoutDisplay())
        return {std::nullopt, "Wine has no display to show the game on: DISPLAY is not set"};
    becomeDpiAware();
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);
    if (!EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) || mode.dmPelsWidth == 0 ||
        mode.dmPelsHeight == 0)
        return {std::nullopt, "Windows tells no mode of the primary display"};
    return {ScreenSize{static_cast<std::int32_t>(mode.dmPelsWidth),
                       static_cast<std::int32_t>(mode.dmPelsHeight)},
            "the primary display"};
}

}  // namespace quenor::host::windows
