#include "window/qt/form_view.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <stdexcept>
#include <string>

#include "window/qt/font_choice.h"
#include "window/qt/form_style.h"
#include "window/qt/form_widgets.h"

namespace quenor::ui::qt {

namespace {

QString toQt(const std::string& text) {
    return QString::fromStdString(text);
}

QString objectNameOf(const ControlKey& key) {
    return toQt(describe(key));
}

void applyTextColour(QWidget& widget, const TextColour& colour) {
    if (colour.source == TextColour::Source::PlatformDefault) return;
    QPalette palette = widget.palette();
    QColor text = colour.source == TextColour::Source::Fixed
                      ? QColor(colour.rgb.red, colour.rgb.green, colour.rgb.blue)
                      : palette.color(QPalette::Active, QPalette::WindowText);
    // Only the usable states take the colour; a disabled control keeps its greyed text.
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::Text, text);
    }
    widget.setPalette(palette);
}

// A text box that passes every edit to the model and shows the model's text again when the
// model refuses it.
QWidget* newTextBox(QWidget* parent, FormModel& form, const std::string& name) {
    auto* box = new QLineEdit(parent);
    QObject::connect(box, &QLineEdit::textEdited, box, [&form, name, box](const QString& text) {
        if (form.userEditText(name, text.toStdString())) return;
        // Refused: show the model's text again, with the cursor where it was.
        const QString kept = toQt(form.control(name).text);
        const int cursor = box->cursorPosition() - static_cast<int>(text.size() - kept.size());
        box->setText(kept);
        box->setCursorPosition(std::clamp(cursor, 0, static_cast<int>(kept.size())));
    });
    return box;
}

QWidget* newDropDownList(const Control& control, QWidget* parent, FormModel& form) {
    const std::string name = control.key.name;
    auto* list = new QComboBox(parent);
    list->setEditable(false);
    for (const std::string& entry : control.entries) list->addItem(toQt(entry));
    QObject::connect(list, &QComboBox::activated, list, [&form, name, list](int entry) {
        form.userPickEntry(name, entry);
        // The model may have refused the pick; show what it holds.
        list->setCurrentIndex(form.control(name).selectedEntry);
    });
    return list;
}

// The widget of a control, wired to the model: what the user does goes to the model.
QWidget* newControlWidget(const Control& control, QWidget* parent, FormModel& form) {
    const std::string name = control.key.name;
    const int index = control.key.index;
    switch (control.kind) {
        case ControlKind::Label: {
            auto* label = new ClickableLabel(parent);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setWordWrap(true);
            label->onClicked([&form, name] { form.userClick(name); });
            if (control.helpLink) label->setCursor(Qt::WhatsThisCursor);
            return label;
        }
        case ControlKind::Group: {
            auto* group = new ClickableGroup(parent);
            group->onClicked([&form, name] { form.userClick(name); });
            return group;
        }
        case ControlKind::TextBox:
            return newTextBox(parent, form, name);
        case ControlKind::OptionButton: {
            auto* option = new ModelOptionButton(parent);
            option->setAutoExclusive(false);
            QObject::connect(option, &QAbstractButton::clicked, option,
                             [&form, name, index] { form.userClickOption(name, index); });
            return option;
        }
        case ControlKind::DropDownList:
            return newDropDownList(control, parent, form);
        case ControlKind::CommandButton: {
            auto* button = new QPushButton(parent);
            button->setAutoDefault(false);
            button->setDefault(false);
            QObject::connect(button, &QAbstractButton::clicked, button,
                             [&form, name] { form.userClick(name); });
            return button;
        }
    }
    throw std::logic_error("a control of an unknown kind: " + name);
}

}  // namespace

FormView::FormView(FormModel& form, TwipScale scale, QWidget* parent)
    : QWidget(parent), form_(form), scale_(scale), style_(new FormStyle(scale_)) {
    setObjectName(toQt(form_.window().name));
    setFixedSize(scale_.toPixels(form_.window().clientWidth),
                 scale_.toPixels(form_.window().clientHeight));
    createWidgets();
    // Owned by the view from here on, as its last child: Qt deletes children in order, so
    // the style outlives every widget that draws with it.
    style_->setParent(this);
    applyTabOrder();
    subscription_ = form_.subscribe([this](const Control& control) { redraw(control); });
}

FormView::~FormView() {
    form_.unsubscribe(subscription_);
}

QWidget* FormView::widgetFor(std::string_view name, int index) const {
    const auto found = widgets_.find(std::pair<std::string, int>(std::string(name), index));
    return found == widgets_.end() ? nullptr : found->second;
}

void FormView::createWidgets() {
    // Groups first, so that their children can be placed inside them whatever the order of
    // the model's controls; the rest are raised in model order, which puts controls of the
    // window that lie over a group (the size boxes) in front of it.
    for (const Control& control : form_.controls()) {
        if (control.kind == ControlKind::Group && control.container.empty()) {
            createWidget(control, this);
        }
    }
    for (const Control& control : form_.controls()) {
        if (control.kind == ControlKind::Group && control.container.empty()) continue;
        QWidget* parent = control.container.empty() ? this : widgetFor(control.container);
        if (parent == nullptr) {
            throw std::logic_error("the window cannot draw " + describe(control.key) +
                                   ": its group " + control.container + " is not drawn");
        }
        createWidget(control, parent)->raise();
    }
}

QWidget* FormView::createWidget(const Control& control, QWidget* parent) {
    QWidget* widget = newControlWidget(control, parent, form_);
    const std::string& name = control.key.name;
    const int index = control.key.index;

    widget->setObjectName(objectNameOf(control.key));
    if (!control.accessibleName.empty()) widget->setAccessibleName(toQt(control.accessibleName));
    widget->setStyle(style_);
    widget->setFont(controlFont(control.font, scale_));
    applyTextColour(*widget, control.textColour);

    // Positions in the model are relative to the container; converting the absolute edges
    // keeps children exactly where the window-wide conversion puts them.
    const TwipPoint absolute = form_.absolutePosition(control);
    QRect geometry = scale_.toPixels(
        TwipRect{absolute.left, absolute.top, control.bounds.width, control.bounds.height});
    if (parent != this) geometry.translate(-parent->mapTo(this, QPoint(0, 0)));
    widget->setGeometry(geometry);

    widgets_[{name, index}] = widget;
    redraw(control);
    return widget;
}

void FormView::applyTabOrder() {
    QWidget* previous = nullptr;
    for (const Control* control : form_.tabOrder()) {
        QWidget* widget = widgetFor(control->key.name, control->key.index);
        if (control->kind == ControlKind::Label || control->kind == ControlKind::Group) {
            widget->setFocusPolicy(Qt::NoFocus);
            continue;
        }
        widget->setFocusPolicy(Qt::StrongFocus);
        if (previous != nullptr) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

void FormView::focusFirstControl() {
    if (const Control* first = form_.firstFocus()) {
        widgetFor(first->key.name, first->key.index)->setFocus(Qt::OtherFocusReason);
    }
}

void FormView::redraw(const Control& control) {
    QWidget* widget = widgetFor(control.key.name, control.key.index);
    if (widget == nullptr) return;
    widget->setEnabled(control.enabled);
    switch (control.kind) {
        case ControlKind::Label:
            static_cast<QLabel*>(widget)->setText(toQt(control.caption));
            break;
        case ControlKind::Group:
            break;
        case ControlKind::TextBox: {
            auto* box = static_cast<QLineEdit*>(widget);
            const QString text = toQt(control.text);
            if (box->text() != text) box->setText(text);
            break;
        }
        case ControlKind::OptionButton: {
            auto* option = static_cast<QRadioButton*>(widget);
            option->setText(toQt(control.caption));
            option->setChecked(control.selected);
            break;
        }
        case ControlKind::DropDownList:
            static_cast<QComboBox*>(widget)->setCurrentIndex(control.selectedEntry);
            break;
        case ControlKind::CommandButton:
            static_cast<QPushButton*>(widget)->setText(toQt(control.caption));
            break;
    }
}

}  // namespace quenor::ui::qt
