#include "app/quenor/program.h"

#include <QApplication>
#include <QGuiApplication>

#include "host/start_quenor.h"
#include "lib/files/file_io.h"
#include "window/qt/font_choice.h"
#include "window/qt/font_configuration_preload.h"
#include "window/qt/qt_message_boxes.h"
#include "window/qt/quenor_widget.h"

namespace quenor::app {

int runQuenor(int& argc, char** argv, const std::function<void(QWidget&)>& beforeShow) {
    // Started first, so that it overlaps the display connection and the settings store.
    ui::qt::FontConfigurationPreload fonts;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quenor"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quenor"));
    QApplication::setWindowIcon(ui::qt::quenorIcon());

    ui::qt::QtMessageBoxes boxes;
    const auto started = host::StartedQuenor::start(
        QCoreApplication::applicationFilePath().toStdString(), files::systemFileIo(), boxes);
    if (!started) return 1;
    ui::Quenor& quenor = started->window();

    fonts.waitUntilRead();
    ui::qt::addShippedFonts();
    const auto scale = ui::qt::scaleForScreen(QGuiApplication::primaryScreen());
    // The window's own font for everything, message boxes included: the desktop's font
    // would otherwise be loaded as well, for nothing the window shows.
    QApplication::setFont(ui::qt::controlFont(std::nullopt, scale));
    ui::qt::QuenorWidget window(quenor, scale);
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
