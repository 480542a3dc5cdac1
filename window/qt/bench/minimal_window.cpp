// The start-up baseline: the least a Qt Widgets program does to put one window of the
// tool's size on screen. It ends after its first paint, like the tool's timing probe.

#include <QApplication>
#include <QWidget>

#include "window/qt/bench/first_paint_probe.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    window.resize(420, 431);
    quenor::ui::qt::bench::exitAfterFirstPaint(window);
    window.show();
    return app.exec();
}
