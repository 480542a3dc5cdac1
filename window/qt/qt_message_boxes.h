#pragma once

#include <QPointer>
#include <QWidget>

#include "core/platform/message_box.h"

namespace quenor::ui::qt {

// Message boxes drawn with QMessageBox: modal, with the request's title, text (each CR a
// line break, shown as plain text), buttons, default button and icon. The answer is the
// button pressed (Escape presses the box's escape button: No, Cancel or the only OK);
// a box closed by its window's close control answers Closed.
class QtMessageBoxes : public MessageBoxes {
  public:
    explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}

    // The window the boxes are centred over; nullptr centres them on the screen.
    void setParentWindow(QWidget* parent) { parent_ = parent; }

    MessageAnswer show(const MessageBoxRequest& request) override;

  private:
    QPointer<QWidget> parent_;
};

// The text as the box shows it: CR LF and lone CRs become line feeds.
QString boxText(const std::string& text);

}  // namespace quenor::ui::qt
