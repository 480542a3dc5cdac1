#include "window/qt/tests/qt_tool_rig.h"

#include <QTest>
#include <stdexcept>

#include "core/testing/tool_fixture.h"

namespace quenor::ui::qt::testing {

QtToolRig::QtToolRig(double dotsPerInch)
    : dotsPerInch_(dotsPerInch),
      headless_(std::make_unique<quenor::testing::HeadlessTool>(
          quenor::testing::HeadlessSetup{.messageBoxes = &qtBoxes_})) {}

QtToolRig::~QtToolRig() {
    window_.reset();
    headless_.reset();
}

bool QtToolRig::start() {
    window_.reset();
    if (!headless_->start()) return false;
    window_ = std::make_unique<QuenorWidget>(headless_->window(), TwipScale(dotsPerInch_));
    qtBoxes_.setParentWindow(window_.get());
    window_->showCentred();
    window_->activateWindow();
    if (!QTest::qWaitForWindowActive(window_.get())) {
        throw std::runtime_error("the window did not become active");
    }
    return true;
}

std::vector<std::string> QtToolRig::logMessages() const {
    const std::string stampEnd = std::string(quenor::testing::kFixedStamp) + "     ";
    std::vector<std::string> messages = headless_->logLines();
    for (std::string& line : messages) {
        if (line.rfind(stampEnd, 0) == 0) line.erase(0, stampEnd.size());
    }
    return messages;
}

bool QtToolRig::logExists() const {
    return std::filesystem::exists(std::filesystem::path(toolFolder()) / "quenor.log");
}

}  // namespace quenor::ui::qt::testing
