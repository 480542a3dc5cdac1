#pragma once

#include <chrono>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "core/platform/message_box.h"
#include "core/tool.h"
#include "host/host_platform.h"
#include "window/quenor_window.h"

namespace quenor::host {

// The tool as its programs start it, before any window exists: the real platform of this
// machine, the tool over it and its window's behaviour, loaded (Form_Load has run).
class StartedQuenor {
  public:
    // Opens the platform for the program at `executable` with the front end's message
    // boxes, which must outlive the result. The platform's notice (which installation opens)
    // is shown first. Returns null when the tool must end without a window; the box saying
    // why has been shown by then: the settings store could not be opened, the platform
    // refused the run (Wine is running for the prefix), or start-up failed.
    static std::unique_ptr<StartedQuenor> start(const std::filesystem::path& executable,
                                                files::FileIo& io, MessageBoxes& boxes);
    // The same with the platform `open` gives (another environment, say); `lockWait`, when
    // given, bounds every wait for another change of the installation instead of the default.
    // `whyNot`, when given, gets the reason when the result is null, on one line.
    static std::unique_ptr<StartedQuenor> start(
        const std::function<std::unique_ptr<HostPlatform>()>& open, MessageBoxes& boxes,
        std::optional<std::chrono::milliseconds> lockWait = std::nullopt,
        std::string* whyNot = nullptr);

    StartedQuenor(const StartedQuenor&) = delete;
    StartedQuenor& operator=(const StartedQuenor&) = delete;

    ui::Quenor& window() { return *window_; }
    Tool& tool() { return *tool_; }

  private:
    StartedQuenor() = default;

    // Declared in the order they depend on each other, so they are destroyed in reverse.
    std::unique_ptr<HostPlatform> host_;
    std::unique_ptr<Tool> tool_;
    std::unique_ptr<ui::Quenor> window_;
};

// The box a program shows when it cannot start: `step` says what failed ("prepare its
// settings store"), `error` why.
MessageBoxRequest cannotStartBox(std::string_view step, const std::exception& error);

}  // namespace quenor::host
