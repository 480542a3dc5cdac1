// The start-up baseline that draws what quenor draws: the window's form with its 41 controls,
// fonts and captions, without the tool behind it (no settings, registry, game or log). The
// difference to the minimal window is the cost of drawing the form; the difference to quenor
// is the cost of the tool itself.

#include <QApplication>

#include "window/qt/bench/first_paint_probe.h"
#include "window/qt/font_choice.h"
#include "window/qt/form_view.h"
#include "window/quenor_layout.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const quenor::ui::qt::TwipScale scale(96);
    QApplication::setFont(quenor::ui::qt::controlFont(std::nullopt, scale));
    quenor::ui::FormModel form = quenor::ui::buildQuenorForm();
    quenor::ui::qt::FormView window(form, scale);
    window.setWindowTitle(QStringLiteral("Form"));
    quenor::ui::qt::bench::exitAfterFirstPaint(window);
    window.show();
    return app.exec();
}
