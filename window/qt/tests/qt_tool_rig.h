#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "window/qt/qt_message_boxes.h"
#include "window/qt/quenor_widget.h"
#include "window/qt/tests/box_answerer.h"
#include "window/quenor_window.h"
#include "window/testing/headless_tool.h"

namespace quenor::ui::qt::testing {

// The whole tool in its real Qt window: the headless tool's folders, registry files, game
// archive and fixed clock, with real QMessageBox boxes that `boxes` answers.
class QtToolRig {
  public:
    explicit QtToolRig(double dotsPerInch = 96.0);
    ~QtToolRig();

    // Runs start-up and, when it succeeds, shows the window centred. Returns Form_Load's
    // result.
    bool start();

    ui::Quenor& quenor() { return headless_->window(); }
    QuenorWidget& window() { return *window_; }
    // The widget of a control, cast to its Qt class; fails the test when missing.
    template <typename Widget>
    Widget* widget(std::string_view name, int index = -1) {
        return dynamic_cast<Widget*>(window_->view().widgetFor(name, index));
    }

    BoxAnswerer boxes;

    std::string toolFolder() const { return headless_->toolFolder(); }
    std::string gameFolder() const { return headless_->gameFolder(); }
    std::filesystem::path archivePath() const { return headless_->archivePath(); }

    // The log's CR LF lines without their time stamps; a last line without CR LF is kept
    // with "<no CR LF>" added.
    std::vector<std::string> logMessages() const;
    bool logExists() const;
    // The plain content of an archive entry.
    std::string archiveEntry(std::string_view name) const { return headless_->archiveEntry(name); }
    // A value as the registry files hold it: text of a REG_SZ, decimal of a REG_DWORD.
    std::optional<std::string> registryValue(reg::Handle root, std::string_view path,
                                             std::string_view name) const {
        return headless_->registryValue(root, path, name);
    }

  private:
    double dotsPerInch_;
    QtMessageBoxes qtBoxes_;
    std::unique_ptr<quenor::testing::HeadlessTool> headless_;
    std::unique_ptr<QuenorWidget> window_;
};

}  // namespace quenor::ui::qt::testing
