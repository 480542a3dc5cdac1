#include "app/quenor/program.h"

#include <QApplication>
#include <QGuiApplication>
#include <exception>
#include <memory>
#include <string>

#include "app/host/host_platform.h"
#include "core/tool.h"
#include "window/qt/font_configuration_preload.h"
#include "window/qt/qt_message_boxes.h"
#include "window/qt/quenor_widget.h"
#include "window/quenor_window.h"

namespace quenor::app {

namespace {

void showCannotStart(MessageBoxes& boxes, const std::exception& error) {
    boxes.show(MessageBoxRequest{
        "Quenor could not start",
        std::string("Quenor could not prepare its settings store:\r") + error.what() +
            "\r\rCorrect the cause (the file named above) and start Quenor again. Nothing "
            "was written.",
        MessageButtons::Ok, MessageIcon::Critical, 0});
}

}  // namespace

int runQuenor(int& argc, char** argv, const std::function<void(QWidget&)>& beforeShow) {
    // Started first, so that it overlaps the display connection and the settings store.
    ui::qt::FontConfigurationPreload fonts;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quenor"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quenor"));
    QApplication::setWindowIcon(ui::qt::quenorIcon());

    ui::qt::QtMessageBoxes boxes;
    std::unique_ptr<host::HostPlatform> host;
    try {
        host = host::HostPlatform::open(QCoreApplication::applicationFilePath().toStdString());
    } catch (const std::exception& error) {
        showCannotStart(boxes, error);
        return 1;
    }
    if (const auto refusal = host->refusal()) {
        boxes.show(*refusal);
        return 1;
    }

    Tool tool(host->services(boxes));
    ui::Quenor quenor(tool);
    if (!quenor.Form_Load()) return 1;

    fonts.waitUntilRead();
    ui::qt::QuenorWidget window(quenor, ui::qt::scaleForScreen(QGuiApplication::primaryScreen()));
    boxes.setParentWindow(&window);
    if (beforeShow) beforeShow(window);
    window.showCentred();
    const int status = QApplication::exec();
    // The loop can also end without the window closing (the session ends); unloading twice
    // does nothing.
    quenor.Form_Unload();
    return status;
}

}  // namespace quenor::app
