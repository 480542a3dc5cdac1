#include "host/x_screen.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace quenor::host {

namespace {

std::optional<ScreenSize> nonEmpty(std::optional<ScreenSize> size) {
    if (size && size->width > 0 && size->height > 0) return size;
    return std::nullopt;
}

// The size an output shows, when it is connected and drives a CRTC.
std::optional<ScreenSize> shownBy(XServerAnswers& server, const XServerAnswers::Output& output) {
    if (!output.connected || output.crtc == 0) return std::nullopt;
    return nonEmpty(server.crtcSize(output.crtc));
}

bool atLeast(const XServerAnswers::Version& version, std::uint32_t major, std::uint32_t minor) {
    return version.major > major || (version.major == major && version.minor >= minor);
}

// The answer of one question, shared between the caller and the thread that asks, so that
// either may be the last to let go of it.
struct PendingScreen {
    std::mutex mutex;
    std::condition_variable answered;
    std::optional<Screen> screen;
};

Screen askServer(const std::string& display, const XConnector& connect) {
    const std::string source = "DISPLAY " + display;
    try {
        const std::unique_ptr<XServerAnswers> server = connect(display);
        if (const std::optional<ScreenSize> size = screenSizeOf(*server)) return {size, source};
        return {std::nullopt, "the X server at DISPLAY " + display + " reports no screen size"};
    } catch (const std::exception& error) {
        return {std::nullopt, error.what()};
    }
}

}  // namespace

std::optional<ScreenSize> screenSizeOf(XServerAnswers& server) {
    const std::optional<XServerAnswers::Version> version = server.randrVersion();
    if (version && atLeast(*version, 1, 2)) {
        const std::vector<XServerAnswers::Output> outputs = server.outputs();
        if (atLeast(*version, 1, 3)) {
            if (const std::uint32_t primary = server.primaryOutput()) {
                for (const XServerAnswers::Output& output : outputs) {
                    if (output.id != primary) continue;
                    if (auto size = shownBy(server, output)) return size;
                }
            }
        }
        for (const XServerAnswers::Output& output : outputs) {
            if (auto size = shownBy(server, output)) return size;
        }
    }
    return nonEmpty(server.rootSize());
}

Screen xScreen(const std::optional<std::string>& display, std::chrono::milliseconds wait,
               const XConnector& connect) {
    if (!display || display->empty()) return {std::nullopt, "DISPLAY is not set"};
    auto pending = std::make_shared<PendingScreen>();
    // xcb_connect has no time limit of its own: the question is asked on a thread of its own,
    // which a stuck server keeps, and is left behind after `wait`.
    std::thread([pending, name = *display, connect] {
        Screen screen = askServer(name, connect);
        const std::lock_guard lock(pending->mutex);
        pending->screen = std::move(screen);
        pending->answered.notify_all();
    }).detach();
    std::unique_lock lock(pending->mutex);
    if (pending->answered.wait_for(lock, wait, [&] { return pending->screen.has_value(); }))
        return *pending->screen;
    const std::string within =
        wait == std::chrono::seconds(1) ? "a second" : std::to_string(wait.count()) + " ms";
    return {std::nullopt, "no X server answered at DISPLAY " + *display + " within " + within};
}

}  // namespace quenor::host
