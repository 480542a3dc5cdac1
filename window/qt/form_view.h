#pragma once

#include <QStyle>
#include <QWidget>
#include <map>
#include <utility>

#include "window/form_model.h"
#include "window/qt/twip_scale.h"

namespace quenor::ui::qt {

// Draws a form model with Qt widgets and forwards the user's input to it. The view holds
// no behaviour: a click, a pick or an edit goes to the model's user*() members, and every
// widget is redrawn from the model's change notifications, so the model alone decides
// what a click does (including refusing it).
//
// The view's size is the window's client area. Every widget is named after its control
// ("optResolution(2)", "btnQuit"), sits at its twip position converted by the scale and
// takes its place in the model's tab order. The model must outlive the view.
class FormView : public QWidget {
  public:
    FormView(FormModel& form, TwipScale scale, QWidget* parent = nullptr);
    ~FormView() override;
    FormView(const FormView&) = delete;
    FormView& operator=(const FormView&) = delete;

    // The widget drawing a control; nullptr for a control the model does not have.
    QWidget* widgetFor(std::string_view name, int index = -1) const;
    const TwipScale& scale() const { return scale_; }

    // Gives the keyboard focus to the model's first control in tab order.
    void focusFirstControl();

  private:
    void createWidgets();
    QWidget* createWidget(const Control& control, QWidget* parent);
    void applyTabOrder();
    void redraw(const Control& control);

    FormModel& form_;
    TwipScale scale_;
    QStyle* style_;  // the controls' look, the same on every desktop (FormStyle)
    std::map<std::pair<std::string, int>, QWidget*, std::less<>> widgets_;
    FormModel::SubscriptionId subscription_ = 0;
};

}  // namespace quenor::ui::qt
