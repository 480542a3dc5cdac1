#include <gtest/gtest.h>

#include <QAccessible>
#include <QComboBox>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <cmath>
#include <set>

#include "window/qt/font_choice.h"
#include "window/qt/form_view.h"
#include "window/qt/quenor_icon.xpm.h"
#include "window/qt/quenor_widget.h"
#include "window/quenor_layout.h"

namespace quenor::ui::qt {
namespace {

class FormViewLayout : public ::testing::TestWithParam<double> {
  protected:
    FormModel form = buildQuenorForm();
};

// Every control's widget stands where its twips put it, relative to the window's client
// area, within one pixel, at 96 dpi and proportionally at other densities.
TEST_P(FormViewLayout, EveryWidgetMatchesItsTwips) {
    const double dpi = GetParam();
    FormView view(form, TwipScale(dpi));
    const double pixelsPerTwip = dpi / 1440.0;
    EXPECT_NEAR(view.width(), 6300 * pixelsPerTwip, 1.0);
    EXPECT_NEAR(view.height(), 6465 * pixelsPerTwip, 1.0);
    ASSERT_EQ(form.controls().size(), 41u);
    for (const Control& control : form.controls()) {
        QWidget* widget = view.widgetFor(control.key.name, control.key.index);
        ASSERT_NE(widget, nullptr) << describe(control.key);
        const QPoint at = widget->mapTo(&view, QPoint(0, 0));
        const TwipPoint twips = form.absolutePosition(control);
        const std::string what = describe(control.key);
        EXPECT_NEAR(at.x(), twips.left * pixelsPerTwip, 1.0) << what;
        EXPECT_NEAR(at.y(), twips.top * pixelsPerTwip, 1.0) << what;
        EXPECT_NEAR(widget->width(), control.bounds.width * pixelsPerTwip, 1.0) << what;
        EXPECT_NEAR(widget->height(), control.bounds.height * pixelsPerTwip, 1.0) << what;
        EXPECT_EQ(widget->objectName().toStdString(), what);
    }
}

INSTANTIATE_TEST_SUITE_P(Densities, FormViewLayout, ::testing::Values(96.0, 144.0, 120.0));

// Spot checks in pixels at 96 dpi, straight from the layout's twips.
TEST(FormViewPixels, KnownPlacesAt96Dpi) {
    FormModel form = buildQuenorForm();
    FormView view(form, TwipScale(96));
    struct Case {
        const char* name;
        int index;
        QRect inWindow;
    };
    const Case cases[] = {
        {"txtResWidth", -1, {256, 160, 49, 21}},
        {"txtResHeight", -1, {328, 160, 49, 21}},
        {"optFPSboost", 4, {248, 304, 73, 17}},
        {"lstResFrame", -1, {256, 192, 121, 22}},
        {"btnQuit", -1, {304, 392, 89, 25}},
        {"Label8", -1, {256, 149, 25, 9}},
        {"btnDeleteQuenorlog", -1, {128, 352, 81, 17}},
    };
    EXPECT_EQ(view.size(), QSize(420, 431));
    for (const Case& c : cases) {
        QWidget* widget = view.widgetFor(c.name, c.index);
        ASSERT_NE(widget, nullptr) << c.name;
        EXPECT_EQ(QRect(widget->mapTo(&view, QPoint(0, 0)), widget->size()), c.inWindow) << c.name;
    }
}

TEST(FormViewLook, WidgetKindsFontsColoursAndCursors) {
    FormModel form = buildQuenorForm();
    FormView view(form, TwipScale(96));
    const QString family = installedFamilyFor("Arial");
    for (const Control& control : form.controls()) {
        QWidget* widget = view.widgetFor(control.key.name, control.key.index);
        const std::string what = describe(control.key);
        switch (control.kind) {
            case ControlKind::Label:
                EXPECT_NE(qobject_cast<QLabel*>(widget), nullptr) << what;
                EXPECT_EQ(widget->focusPolicy(), Qt::NoFocus) << what;
                break;
            case ControlKind::Group:
                EXPECT_EQ(widget->focusPolicy(), Qt::NoFocus) << what;
                break;
            case ControlKind::TextBox:
                EXPECT_NE(qobject_cast<QLineEdit*>(widget), nullptr) << what;
                break;
            case ControlKind::OptionButton: {
                auto* option = qobject_cast<QRadioButton*>(widget);
                ASSERT_NE(option, nullptr) << what;
                // Exclusion is the model's: Qt must not uncheck across groups on its own.
                EXPECT_FALSE(option->autoExclusive()) << what;
                EXPECT_EQ(option->text().toStdString(), control.caption) << what;
                break;
            }
            case ControlKind::DropDownList: {
                auto* list = qobject_cast<QComboBox*>(widget);
                ASSERT_NE(list, nullptr) << what;
                EXPECT_FALSE(list->isEditable());
                ASSERT_EQ(list->count(), 5);
                EXPECT_EQ(list->itemText(0), QString("Select a frame size"));
                EXPECT_EQ(list->itemText(3), QString("1280 x 1024"));
                break;
            }
            case ControlKind::CommandButton: {
                auto* button = qobject_cast<QPushButton*>(widget);
                ASSERT_NE(button, nullptr) << what;
                EXPECT_FALSE(button->isDefault() || button->autoDefault()) << what;
                break;
            }
        }
        const QFont font = widget->font();
        EXPECT_EQ(font.family(), family) << what;
        if (control.font) {
            EXPECT_EQ(font.pixelSize(), std::lround(control.font->points * 96 / 72)) << what;
            EXPECT_EQ(font.bold(), control.font->bold) << what;
            EXPECT_EQ(font.italic(), control.font->italic) << what;
            EXPECT_EQ(font.underline(), control.font->underline) << what;
        }
        const QColor text = widget->palette().color(QPalette::Active, QPalette::WindowText);
        if (control.helpLink) {
            EXPECT_EQ(text, QColor(0, 0, 255)) << what;
            EXPECT_TRUE(font.underline()) << what;
            EXPECT_EQ(widget->cursor().shape(), Qt::WhatsThisCursor) << what;
        } else {
            EXPECT_NE(widget->cursor().shape(), Qt::WhatsThisCursor) << what;
        }
    }
    EXPECT_EQ(view.widgetFor("Label3")->palette().color(QPalette::Active, QPalette::WindowText),
              QColor(192, 0, 0));
    // The one control without a font of its own takes the window's default.
    EXPECT_EQ(view.widgetFor("btnDeleteQuenorlog")->font().pixelSize(), 11);
    EXPECT_EQ(QFontInfo(view.widgetFor("Label1")->font()).family(), family);
}

// What a screen reader reads for each "More Info" link: what it explains.
TEST(FormViewLook, HelpLinksTellScreenReadersWhatTheyExplain) {
    FormModel form = buildQuenorForm();
    FormView view(form, TwipScale(96));
    const std::pair<const char*, const char*> links[] = {
        {"labMoreResolution", "More Info: Widescreen Resolution"},
        {"labMoreInfoResFrame", "More Info: Resolution Frame"},
        {"labMoreInfoVSYNC", "More Info: VSYNC"},
        {"labMoreInfoFPS", "More Info: FPS Boost"},
        {"labQuenorLogging", "More Info: Quenor Logging"},
    };
    for (const auto& [name, spoken] : links) {
        QAccessibleInterface* link = QAccessible::queryAccessibleInterface(view.widgetFor(name));
        ASSERT_NE(link, nullptr) << name;
        EXPECT_EQ(link->text(QAccessible::Name).toStdString(), spoken);
        EXPECT_EQ(static_cast<QLabel*>(view.widgetFor(name))->text(), QString("More Info"));
    }
}

TEST(FormViewLook, LaterControlsOfTheWindowLieInFrontOfTheGroup) {
    FormModel form = buildQuenorForm();
    FormView view(form, TwipScale(96));
    QWidget* box = view.widgetFor("txtResWidth");
    const QPoint centre = box->mapTo(&view, box->rect().center());
    EXPECT_EQ(view.childAt(centre), box);
}

TEST(FormViewLook, FallbackFamilyIsMetricCompatible) {
    const QString family = installedFamilyFor("Arial");
    EXPECT_TRUE(family == "Arial" || family == "Liberation Sans") << family.toStdString();
    EXPECT_EQ(installedFamilyFor("No Such Family 123"), QString("No Such Family 123"));
}

TEST(FormViewLook, IconIs32By32In16ColoursAtMost) {
    const QImage icon(kQuenorIconXpm);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.size(), QSize(32, 32));
    std::set<QRgb> colours;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            const QRgb pixel = icon.pixel(x, y);
            if (qAlpha(pixel) != 0) colours.insert(pixel);
        }
    }
    EXPECT_LE(colours.size(), 16u);
    EXPECT_GE(colours.size(), 2u);
}

}  // namespace
}  // namespace quenor::ui::qt
