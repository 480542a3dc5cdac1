#include "host/start_quenor.h"

#include <string>

namespace quenor::host {

std::unique_ptr<StartedQuenor> StartedQuenor::start(const std::filesystem::path& executable,
                                                    files::FileIo& io, MessageBoxes& boxes) {
    return start([&executable, &io] { return HostPlatform::open(executable, io); }, boxes);
}

std::unique_ptr<StartedQuenor> StartedQuenor::start(
    const std::function<std::unique_ptr<HostPlatform>()>& open, MessageBoxes& boxes,
    std::optional<std::chrono::milliseconds> lockWait, std::string* whyNot) {
    const auto notStarted = [whyNot](const std::string& why) {
        if (whyNot) *whyNot = why;
        return nullptr;
    };
    std::unique_ptr<StartedQuenor> started(new StartedQuenor);
    try {
        started->host_ = open();
    } catch (const std::exception& error) {
        boxes.show(cannotStartBox("prepare its settings store", error));
        return notStarted(std::string("Quenor could not prepare its settings store: ") +
                          error.what());
    }
    if (const auto refusal = started->host_->refusal()) {
        boxes.show(*refusal);
        return notStarted(started->host_->refusalReason());
    }
    if (const auto notice = started->host_->notice()) boxes.show(*notice);
    PlatformServices services = started->host_->services(boxes);
    if (lockWait) services.changeLockWait = *lockWait;
    started->tool_ = std::make_unique<Tool>(std::move(services));
    started->window_ = std::make_unique<ui::Quenor>(*started->tool_);
    // A failed start-up has shown its own box.
    if (!started->window_->Form_Load()) {
        const auto& stopped = started->tool_->changeReport.stopped;
        return notStarted(stopped ? stopped->reason : std::string("Quenor could not start"));
    }
    return started;
}

MessageBoxRequest cannotStartBox(std::string_view step, const std::exception& error) {
    return MessageBoxRequest{"Quenor could not start",
                             "Quenor could not " + std::string(step) + ":\r" + error.what() +
                                 "\r\rCorrect the cause named above and start Quenor again.",
                             MessageButtons::Ok, MessageIcon::Critical, 0};
}

}  // namespace quenor::host
