#include "window/qt/qt_message_boxes.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <utility>
#include <vector>

#include "lib/base/code_page.h"

namespace quenor::ui::qt {

namespace {

using ButtonAnswer = std::pair<QMessageBox::StandardButton, MessageAnswer>;

std::vector<ButtonAnswer> buttonsOf(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
            return {{QMessageBox::Ok, MessageAnswer::Ok}};
        case MessageButtons::OkCancel:
            return {{QMessageBox::Ok, MessageAnswer::Ok},
                    {QMessageBox::Cancel, MessageAnswer::Cancel}};
        case MessageButtons::YesNo:
            return {{QMessageBox::Yes, MessageAnswer::Yes}, {QMessageBox::No, MessageAnswer::No}};
        case MessageButtons::RetryCancel:
            return {{QMessageBox::Retry, MessageAnswer::Retry},
                    {QMessageBox::Cancel, MessageAnswer::Cancel}};
    }
    return {{QMessageBox::Ok, MessageAnswer::Ok}};
}

QMessageBox::Icon iconOf(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::None:
            return QMessageBox::NoIcon;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Critical:
            return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QString boxText(const std::string& text) {
    // The tool's texts hold Windows paths in the game's code page and host paths in UTF-8.
    QString result = QString::fromStdString(base::ansiCodePage().displayed(text));
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

MessageAnswer QtMessageBoxes::show(const MessageBoxRequest& request) {
    QMessageBox box(parent_.data());
    box.setWindowTitle(QString::fromStdString(base::ansiCodePage().displayed(request.title)));
    box.setTextFormat(Qt::PlainText);
    box.setText(boxText(request.text));
    box.setIcon(iconOf(request.icon));

    const std::vector<ButtonAnswer> buttons = buttonsOf(request.buttons);
    std::vector<QAbstractButton*> added;
    added.reserve(buttons.size());
    for (const auto& [standard, answer] : buttons) added.push_back(box.addButton(standard));
    // A default index past the last button falls back to the first, as the system does.
    const int defaultIndex =
        request.defaultButton >= 0 && request.defaultButton < static_cast<int>(buttons.size())
            ? request.defaultButton
            : 0;
    box.setDefaultButton(buttons[static_cast<std::size_t>(defaultIndex)].first);

    QAbstractButton* pressed = nullptr;
    QObject::connect(&box, &QMessageBox::buttonClicked, &box,
                     [&pressed](QAbstractButton* button) { pressed = button; });
    box.exec();

    const auto found = std::find(added.begin(), added.end(), pressed);
    if (found == added.end()) return MessageAnswer::Closed;
    return buttons[static_cast<std::size_t>(found - added.begin())].second;
}

}  // namespace quenor::ui::qt
