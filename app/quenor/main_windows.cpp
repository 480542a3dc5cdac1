// quenor.exe: the tool's program on Windows, with the native Win32 window. It takes no
// command-line arguments.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <exception>
#include <memory>
#include <string>

#include "app/host/host_platform.h"
#include "app/host/windows_platform.h"
#include "core/tool.h"
#include "window/quenor_window.h"
#include "window/win32/win32_quenor_window.h"

namespace {

void showCannotStart(quenor::MessageBoxes& boxes, const std::string& what,
                     const std::exception& error) {
    boxes.show(
        quenor::MessageBoxRequest{"Quenor could not start",
                                  "Quenor could not " + what + ":\r" + error.what() +
                                      "\r\rCorrect the cause named above and start Quenor again.",
                                  quenor::MessageButtons::Ok, quenor::MessageIcon::Critical, 0});
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Twips are converted with the screen's real density, not a scaled 96 dpi.
    SetProcessDPIAware();
    using namespace quenor;
    host::windows::WindowsMessageBoxes boxes;
    std::unique_ptr<host::HostPlatform> host;
    try {
        host = host::HostPlatform::open(host::windows::executablePath());
    } catch (const std::exception& error) {
        showCannotStart(boxes, "prepare its settings store", error);
        return 1;
    }
    if (const auto refusal = host->refusal()) {
        boxes.show(*refusal);
        return 1;
    }

    Tool tool(host->services(boxes));
    ui::Quenor quenor(tool);
    if (!quenor.Form_Load()) return 1;
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
        showCannotStart(boxes, "open its window", error);
        quenor.Form_Unload();
        return 1;
    }
}
