#include "window/qt/tests/box_answerer.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTest>

namespace quenor::ui::qt::testing {

namespace {
const char* const kAnsweredProperty = "quenorTestAnswered";
}

BoxAnswerer::BoxAnswerer() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start();
}

BoxAnswerer::~BoxAnswerer() {
    EXPECT_TRUE(actions_.empty()) << actions_.size() << " queued answer(s) found no box";
}

void BoxAnswerer::press(QMessageBox::StandardButton button) {
    queue({Action::Press, button});
}
void BoxAnswerer::closeBox() {
    queue({Action::Close, QMessageBox::NoButton});
}
void BoxAnswerer::pressEscape() {
    queue({Action::Escape, QMessageBox::NoButton});
}

void BoxAnswerer::queue(Action action) {
    actions_.push_back(action);
}

void BoxAnswerer::poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || box->property(kAnsweredProperty).toBool()) return;
    box->setProperty(kAnsweredProperty, true);

    SeenBox seen;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    for (QAbstractButton* button : box->buttons()) {
        seen.buttons.push_back(box->standardButton(button));
    }
    if (box->defaultButton() != nullptr) {
        seen.defaultButton = box->standardButton(box->defaultButton());
    }
    seen.applicationModal = box->isModal();
    seen.plainText = box->textFormat() == Qt::PlainText;
    seen_.push_back(seen);

    if (actions_.empty()) {
        ADD_FAILURE() << "unexpected message box \"" << seen.title.toStdString()
                      << "\": " << seen.text.toStdString();
        box->close();
        return;
    }
    const Action action = actions_.front();
    actions_.pop_front();
    switch (action.kind) {
        case Action::Press: {
            QAbstractButton* button = box->button(action.button);
            if (button == nullptr) {
                ADD_FAILURE() << "box \"" << seen.title.toStdString()
                              << "\" has not the button to press";
                box->close();
                return;
            }
            QTest::mouseClick(button, Qt::LeftButton);
            break;
        }
        case Action::Close:
            box->close();
            break;
        case Action::Escape:
            QTest::keyClick(box, Qt::Key_Escape);
            break;
    }
}

}  // namespace quenor::ui::qt::testing
