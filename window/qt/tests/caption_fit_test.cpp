// Every text of the window is drawn whole inside its control: the captions of the option
// buttons and command buttons, the labels and the frame list's text. Each text is drawn
// with the font the platform resolved for its widget, at the window's device pixel ratio,
// and the ink it leaves is measured against the room the widget's style gives the text.
// Run on the offscreen platform at three densities, and under Xvfb on xcb at the screen's
// own density (Xft.dpi 96, 120 and 144).

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <cmath>
#include <optional>

#include "window/qt/tests/qt_tool_rig.h"

namespace quenor::ui::qt {
namespace {

struct DrawnText {
    QString text;
    QRect room;  // where the widget draws the text, in the widget's pixels
    int flags = 0;
};

std::optional<DrawnText> drawnTextOf(QWidget& widget) {
    QStyle& style = *widget.style();
    if (auto* option = qobject_cast<QRadioButton*>(&widget)) {
        QStyleOptionButton look;
        look.initFrom(option);
        look.text = option->text();
        const QRect room = style.subElementRect(QStyle::SE_RadioButtonContents, &look, option);
        return DrawnText{option->text(), room & option->rect(),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic};
    }
    if (auto* button = qobject_cast<QPushButton*>(&widget)) {
        QStyleOptionButton look;
        look.initFrom(button);
        look.text = button->text();
        const QRect room = style.subElementRect(QStyle::SE_PushButtonContents, &look, button);
        return DrawnText{button->text(), room, Qt::AlignCenter | Qt::TextShowMnemonic};
    }
    if (auto* label = qobject_cast<QLabel*>(&widget)) {
        return DrawnText{
            label->text(), label->contentsRect(),
            static_cast<int>(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0)};
    }
    if (auto* list = qobject_cast<QComboBox*>(&widget)) {
        QStyleOptionComboBox look;
        look.initFrom(list);
        look.currentText = list->currentText();
        const QRect room =
            style.subControlRect(QStyle::CC_ComboBox, &look, QStyle::SC_ComboBoxEditField, list);
        return DrawnText{list->currentText(), room, Qt::AlignLeft | Qt::AlignVCenter};
    }
    return std::nullopt;
}

// The ink of a text drawn into `room` as the widget draws it, in logical pixels relative to
// the room's top left corner: drawn without clipping on a larger transparent image of the
// given device pixel ratio, then found pixel by pixel.
QRectF inkOf(const QFont& font, const DrawnText& drawn, qreal pixelRatio) {
    const int margin = 2 * QFontMetrics(font).height();
    const QSize logical = drawn.room.size() + QSize(2 * margin, 2 * margin);
    QImage image(QSize(static_cast<int>(std::ceil(logical.width() * pixelRatio)),
                       static_cast<int>(std::ceil(logical.height() * pixelRatio))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        // Without TextDontClip, drawText would clip the text to the room and hide the misfit.
        painter.drawText(QRect(QPoint(margin, margin), drawn.room.size()),
                         drawn.flags | Qt::TextDontClip, drawn.text);
    }
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) == 0) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0) return {};
    return QRectF(left / pixelRatio - margin, top / pixelRatio - margin,
                  (right + 1 - left) / pixelRatio, (bottom + 1 - top) / pixelRatio);
}

// The texts of the started window that leave ink outside their room, one line each.
std::vector<std::string> textsThatDoNotFit(testing::QtToolRig& rig) {
    const qreal pixelRatio = rig.window().devicePixelRatioF();
    std::vector<std::string> misfits;
    for (const Control& control : rig.quenor().form().controls()) {
        QWidget* widget = rig.window().view().widgetFor(control.key.name, control.key.index);
        const std::optional<DrawnText> drawn = drawnTextOf(*widget);
        if (!drawn || drawn->text.isEmpty()) continue;
        const QRectF ink = inkOf(widget->font(), *drawn, pixelRatio);
        const QRectF room(QPointF(0, 0), QSizeF(drawn->room.size()));
        if (!room.contains(ink)) {
            misfits.push_back(describe(control.key) + " \"" + drawn->text.toStdString() +
                              "\": ink x " + std::to_string(ink.left()) + ".." +
                              std::to_string(ink.right()) + ", y " + std::to_string(ink.top()) +
                              ".." + std::to_string(ink.bottom()) + " in a room of " +
                              std::to_string(room.width()) + " x " + std::to_string(room.height()));
        }
    }
    return misfits;
}

class CaptionFit : public ::testing::TestWithParam<double> {};

// The window laid out at a density of its own, as on a screen that reports that density
// without scaling (offscreen, or X with Qt's scaling off).
TEST_P(CaptionFit, EveryTextIsDrawnWholeAtThisDensity) {
    if (QGuiApplication::primaryScreen()->devicePixelRatio() != 1.0) {
        GTEST_SKIP() << "the screen is scaled: the program lays out at its logical density";
    }
    testing::QtToolRig rig(GetParam());
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(textsThatDoNotFit(rig), std::vector<std::string>{})
        << QGuiApplication::platformName().toStdString() << " at " << GetParam() << " dpi";
}

INSTANTIATE_TEST_SUITE_P(Densities, CaptionFit, ::testing::Values(96.0, 120.0, 144.0));

// The density of the screen the platform reports, as the program lays the window out:
// on xcb, Xft.dpi becomes Qt's device pixel ratio over a 96 dpi layout.
TEST(CaptionFitOnThisScreen, EveryTextIsDrawnWhole) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    testing::QtToolRig rig(screen->logicalDotsPerInch());
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(textsThatDoNotFit(rig), std::vector<std::string>{})
        << QGuiApplication::platformName().toStdString() << ", logical "
        << screen->logicalDotsPerInch() << " dpi, pixel ratio " << screen->devicePixelRatio();
}

}  // namespace
}  // namespace quenor::ui::qt
