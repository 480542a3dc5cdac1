#pragma once

#include <QIcon>
#include <QWidget>

#include "window/qt/form_view.h"
#include "window/qt/twip_scale.h"
#include "window/quenor_window.h"

class QScreen;

namespace quenor::ui::qt {

// The tool's window on screen: the form view of ui::Quenor in a top-level window of fixed
// client size, with the window's caption and icon, no menu and no status bar. Closing it
// in any way (Quit answered Yes, the close button, the window manager) unloads the window
// (Form_Unload); Quit's close request closes it. The Quenor must outlive this widget.
class QuenorWidget : public QWidget {
  public:
    QuenorWidget(Quenor& quenor, TwipScale scale, QWidget* parent = nullptr);
    ~QuenorWidget() override;
    QuenorWidget(const QuenorWidget&) = delete;
    QuenorWidget& operator=(const QuenorWidget&) = delete;

    FormView& view() { return *view_; }

    // Shows the window in the centre of its screen's available area with the keyboard focus
    // on the first control in tab order.
    void showCentred();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    Quenor& quenor_;
    FormView* view_;
};

// The tool's 32 x 32 icon.
QIcon quenorIcon();

// The density to lay the window out at on a screen: its logical dots per inch (96 where
// there is no screen).
TwipScale scaleForScreen(const QScreen* screen);

}  // namespace quenor::ui::qt
