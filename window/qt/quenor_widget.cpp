#include "window/qt/quenor_widget.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include "window/qt/quenor_icon.xpm.h"

namespace quenor::ui::qt {

QuenorWidget::QuenorWidget(Quenor& quenor, TwipScale scale, QWidget* parent)
    : QWidget(parent), quenor_(quenor), view_(new FormView(quenor.form(), scale, this)) {
    setObjectName(QStringLiteral("QuenorWindow"));
    setWindowTitle(QString::fromStdString(quenor.form().window().caption));
    setWindowIcon(quenorIcon());
    view_->move(0, 0);
    setFixedSize(view_->size());
    quenor_.onCloseRequested([this] { close(); });
}

QuenorWidget::~QuenorWidget() {
    quenor_.onCloseRequested({});
}

void QuenorWidget::showCentred() {
    const auto centre = [this] {
        const QScreen* screen =
            this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
        if (screen == nullptr) return;
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        if (frame.topLeft() != frameGeometry().topLeft()) move(frame.topLeft());
    };
    centre();
    show();
    // The window frame's size is known only once the window is shown; where it is by then,
    // centre the window with its frame.
    centre();
    view_->focusFirstControl();
}

void QuenorWidget::closeEvent(QCloseEvent* event) {
    quenor_.Form_Unload();
    event->accept();
}

QIcon quenorIcon() {
    return QIcon(QPixmap(kQuenorIconXpm));
}

TwipScale scaleForScreen(const QScreen* screen) {
    const double dpi = screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
    return TwipScale(dpi > 0.0 ? dpi : 96.0);
}

}  // namespace quenor::ui::qt
