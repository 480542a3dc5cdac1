#pragma once

#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <functional>
#include <utility>

namespace quenor::ui::qt {

// A widget that reports a click (left button pressed and released over it) to a callback.
// Used for labels and groups, which Qt gives no click signal.
template <typename Base>
class Clickable : public Base {
  public:
    using Base::Base;
    void onClicked(std::function<void()> callback) { clicked_ = std::move(callback); }

  protected:
    void mousePressEvent(QMouseEvent* event) override {
        pressed_ = event->button() == Qt::LeftButton;
        event->accept();
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        const bool click = pressed_ && event->button() == Qt::LeftButton &&
                           this->rect().contains(event->position().toPoint());
        pressed_ = false;
        event->accept();
        if (click && clicked_) clicked_();
    }

  private:
    std::function<void()> clicked_;
    bool pressed_ = false;
};

using ClickableLabel = Clickable<QLabel>;
using ClickableGroup = Clickable<QWidget>;

// An option button that never changes its own state: a click only emits clicked(), and
// the form model, which decides about exclusion within the group, sets the checked state.
class ModelOptionButton : public QRadioButton {
  public:
    using QRadioButton::QRadioButton;

  protected:
    void nextCheckState() override {}
};

}  // namespace quenor::ui::qt
