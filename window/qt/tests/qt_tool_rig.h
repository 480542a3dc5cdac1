#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/host_file_system.h"
#include "core/testing/fake_platform.h"
#include "core/testing/temp_folder.h"
#include "core/tool.h"
#include "registry/wine/wine_file_store.h"
#include "window/qt/qt_message_boxes.h"
#include "window/qt/quenor_widget.h"
#include "window/qt/tests/box_answerer.h"
#include "window/quenor_window.h"

namespace quenor::ui::qt::testing {

// The whole tool in its real Qt window: a temporary tool folder, a registry in Wine's file
// format in a temporary prefix, a temporary game folder whose archive holds the four frame
// config files, a fixed clock, and QMessageBox boxes that `boxes` answers.
class QtToolRig {
  public:
    explicit QtToolRig(double dotsPerInch = 96.0);
    ~QtToolRig();

    // Runs start-up and, when it succeeds, shows the window centred. Returns Form_Load's
    // result.
    bool start();

    ui::Quenor& quenor() { return *quenor_; }
    QuenorWidget& window() { return *window_; }
    // The widget of a control, cast to its Qt class; fails the test when missing.
    template <typename Widget>
    Widget* widget(std::string_view name, int index = -1) {
        return dynamic_cast<Widget*>(window_->view().widgetFor(name, index));
    }

    BoxAnswerer boxes;

    std::string toolFolder() const { return root_.file("tool"); }
    std::string gameFolder() const { return root_.file("NHL 09"); }
    std::filesystem::path archivePath() const;

    // The log's CR LF lines without their time stamps; a last line without CR LF is kept
    // with "<no CR LF>" added.
    std::vector<std::string> logMessages() const;
    bool logExists() const;
    // The plain content of an archive entry.
    std::string archiveEntry(std::string_view name) const;
    // A value as the registry files hold it: text of a REG_SZ, decimal of a REG_DWORD.
    std::optional<std::string> registryValue(reg::Handle root, std::string_view path,
                                             std::string_view name) const;

  private:
    double dotsPerInch_;
    quenor::testing::TempFolder root_;
    quenor::testing::FixedClock clock_;
    quenor::testing::UsRegionalFormat format_;
    quenor::testing::MapEnvironment environment_;
    quenor::testing::FixedSystemInfo system_;
    HostFileSystem files_{"quenor"};
    QtMessageBoxes qtBoxes_;
    std::unique_ptr<reg::wine::WineFileStore> store_;
    std::unique_ptr<Tool> tool_;
    std::unique_ptr<ui::Quenor> quenor_;
    std::unique_ptr<QuenorWidget> window_;
};

}  // namespace quenor::ui::qt::testing
