// quenor.exe: the tool's program on Windows, with the native Win32 window. It takes no
// command-line arguments.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <exception>

#include "host/start_quenor.h"
#include "host/windows_platform.h"
#include "window/win32/win32_quenor_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Twips are converted with the screen's real density, not a scaled 96 dpi.
    SetProcessDPIAware();
    using namespace quenor;
    host::windows::WindowsMessageBoxes boxes;
    const auto started = host::StartedQuenor::start(host::windows::executablePath(),
                                                    quenor::files::systemFileIo(), boxes);
    if (!started) return 1;
    ui::Quenor& quenor = started->window();
    try {
        ui::win32::QuenorWindow window(quenor, ui::win32::screenDpi());
        boxes.setOwner(window.handle());
        window.showCentred();
        const int status = window.runMessageLoop();
        boxes.setOwner(nullptr);
        // The loop can end without the window closing (the session ends); unloading twice
        // does nothing.
        quenor.Form_Unload();
        return status;
    } catch (const std::exception& error) {
        boxes.setOwner(nullptr);
        boxes.show(host::cannotStartBox("open its window", error));
        quenor.Form_Unload();
        return 1;
    }
}
