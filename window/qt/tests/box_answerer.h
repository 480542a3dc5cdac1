#pragma once

#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <deque>
#include <vector>

namespace quenor::ui::qt::testing {

// What a test saw of one message box.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::vector<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool applicationModal = false;
    bool plainText = false;
};

// Answers the real message boxes a test makes the window show: while answers are queued
// it watches for the active modal QMessageBox, records it and answers it the queued way.
// A box that appears with no answer queued fails the test and is closed, so a test never
// hangs on a box.
class BoxAnswerer {
  public:
    BoxAnswerer();
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    // Clicks the box's button with the mouse.
    void press(QMessageBox::StandardButton button);
    // Closes the box by its window's close control.
    void closeBox();
    // Presses the Escape key in the box.
    void pressEscape();

    const std::vector<SeenBox>& seen() const { return seen_; }
    std::size_t pending() const { return actions_.size(); }

  private:
    struct Action {
        enum Kind { Press, Close, Escape } kind;
        QMessageBox::StandardButton button;
    };
    void queue(Action action);
    void poll();

    QTimer timer_;
    std::deque<Action> actions_;
    std::vector<SeenBox> seen_;
};

}  // namespace quenor::ui::qt::testing
