#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/screen.h"

namespace quenor::host {

// What the choice of the screen asks of an X server, as its RandR extension answers: the real
// one speaks the X protocol (x_screen_xcb_linux.cpp), tests give a double.
class XServerAnswers {
  public:
    struct Output {
        std::uint32_t id = 0;
        bool connected = false;
        std::uint32_t crtc = 0;  // 0: the output shows nothing
    };
    struct Version {
        std::uint32_t major = 0;
        std::uint32_t minor = 0;
    };

    virtual ~XServerAnswers() = default;
    // The RandR version the server speaks; nothing when it lacks the extension.
    virtual std::optional<Version> randrVersion() = 0;
    // The primary output (RandR 1.3); 0 when none is set.
    virtual std::uint32_t primaryOutput() = 0;
    // The screen's outputs, in the server's order (RandR 1.2).
    virtual std::vector<Output> outputs() = 0;
    // A CRTC's size on the screen, its rotation applied; nothing when it cannot be read.
    virtual std::optional<ScreenSize> crtcSize(std::uint32_t crtc) = 0;
    // The size of the root window of the display's screen.
    virtual ScreenSize rootSize() = 0;
};

// The size of the screen a program on the server is shown on: the primary output's CRTC;
// without one, the first connected output that has a CRTC; the root window's size where
// RandR (1.2 or later) is missing or no output shows anything. Nothing for an empty size.
std::optional<ScreenSize> screenSizeOf(XServerAnswers& server);

// Connects to the X display named (DISPLAY's value); throws std::runtime_error saying why
// it cannot.
using XConnector = std::function<std::unique_ptr<XServerAnswers>(const std::string& display)>;
// The connector of the real X server (libxcb).
std::unique_ptr<XServerAnswers> connectToXServer(const std::string& display);

// The screen of the X display `display` (DISPLAY's value, nothing when unset), asked through
// `connect` and given up after `wait`: a server that does not answer leaves the question
// behind, unanswered, rather than holding up the caller.
Screen xScreen(const std::optional<std::string>& display, std::chrono::milliseconds wait,
               const XConnector& connect = connectToXServer);

}  // namespace quenor::host
