// The tool in its real window: real clicks on the widgets, real message boxes, and the
// model, log, registry and game archive checked afterwards.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <algorithm>

#include "lib/registry/registry_store.h"
#include "window/help_texts.h"
#include "window/qt/tests/qt_tool_rig.h"

namespace quenor::ui::qt {
namespace {

using testing::QtToolRig;
using SB = QMessageBox::StandardButton;

const char* const kGameKey = "Software\\EA Sports\\NHL 09";
const char* const kSettingsKey = "Software\\Olm\\Quenor";

void click(QWidget* widget) {
    ASSERT_NE(widget, nullptr);
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

bool contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(QuenorWidget, FirstStartShowsTheDefaultsCentredWithFocusOnApply) {
    QtToolRig rig;
    ASSERT_TRUE(rig.start());
    QuenorWidget& window = rig.window();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), QString("Quenor v1.0"));
    EXPECT_EQ(window.size(), QSize(420, 431));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_TRUE(window.findChildren<QMenuBar*>().isEmpty());
    EXPECT_TRUE(window.findChildren<QStatusBar*>().isEmpty());
    EXPECT_FALSE(window.windowIcon().pixmap(32, 32).isNull());
    const QRect screen = window.screen()->availableGeometry();
    EXPECT_NEAR(window.frameGeometry().center().x(), screen.center().x(), 1)
        << screen.width() << " wide screen";
    EXPECT_NEAR(window.frameGeometry().center().y(), screen.center().y(), 1)
        << screen.height() << " high screen";

    EXPECT_EQ(QApplication::focusWidget(), rig.widget<QWidget>("btnApplySettings"));
    EXPECT_TRUE(rig.widget<QRadioButton>("optResolution", 3)->isChecked());
    EXPECT_TRUE(rig.widget<QRadioButton>("optVSYNC", 0)->isChecked());
    EXPECT_TRUE(rig.widget<QRadioButton>("optFPSboost", 0)->isChecked());
    EXPECT_TRUE(rig.widget<QRadioButton>("optQuenorLogging", 0)->isChecked());
    EXPECT_FALSE(rig.widget<QLineEdit>("txtResWidth")->isEnabled());
    EXPECT_FALSE(rig.widget<QComboBox>("lstResFrame")->isEnabled());
    EXPECT_EQ(rig.widget<QComboBox>("lstResFrame")->currentText(), QString("Select a frame size"));
    EXPECT_EQ(rig.widget<QLabel>("labQuenorver")->text(), QString("v1.0"));
}

TEST(QuenorWidget, TabOrderVisitsTheControlsThatCanTakeTheFocus) {
    QtToolRig rig;
    ASSERT_TRUE(rig.start());
    const auto walk = [&] {
        std::vector<std::string> order;
        rig.widget<QWidget>("btnApplySettings")->setFocus();
        for (int i = 0; i < 30; ++i) {
            QWidget* focus = QApplication::focusWidget();
            order.push_back(focus != nullptr ? focus->objectName().toStdString() : "<none>");
            QTest::keyClick(focus, Qt::Key_Tab);
            if (QApplication::focusWidget() == rig.widget<QWidget>("btnApplySettings")) break;
        }
        return order;
    };
    const std::vector<std::string> presets = {
        "btnApplySettings",   "btnSetDefaults",   "optVSYNC(1)",         "optVSYNC(0)",
        "optFPSboost(4)",     "optFPSboost(3)",   "optFPSboost(2)",      "optFPSboost(1)",
        "optFPSboost(0)",     "optResolution(2)", "optResolution(3)",    "optResolution(1)",
        "optResolution(0)",   "btnQuit",          "optQuenorLogging(0)", "optQuenorLogging(1)",
        "btnDeleteQuenorlog", "optResolution(4)"};
    EXPECT_EQ(walk(), presets);

    // With "User Defined" the boxes and the list join the order at their places.
    click(rig.widget<QWidget>("optResolution", 4));
    std::vector<std::string> userDefined = presets;
    userDefined.insert(userDefined.end() - 1, {"txtResHeight", "txtResWidth", "lstResFrame"});
    EXPECT_EQ(walk(), userDefined);
}

TEST(QuenorWidget, OptionClicksChangeTheModelAndTheLog) {
    QtToolRig rig;
    ASSERT_TRUE(rig.start());
    const std::size_t before = rig.logMessages().size();
    click(rig.widget<QWidget>("optFPSboost", 3));
    click(rig.widget<QWidget>("optVSYNC", 1));
    click(rig.widget<QWidget>("optResolution", 1));
    click(rig.widget<QWidget>("optQuenorLogging", 1));
    click(rig.widget<QWidget>("optResolution", 0));  // logging is off: no line
    click(rig.widget<QWidget>("optQuenorLogging", 0));

    const std::vector<std::string> log = rig.logMessages();
    const std::vector<std::string> added(log.begin() + static_cast<long>(before), log.end());
    EXPECT_EQ(added, (std::vector<std::string>{"optFPSboost_Click 100", "optVSYNC_Click: false",
                                               "optResolution_Click: sgsm4.cfg",
                                               "optQuenorLogging_Click: true"}));
    const FormModel& form = rig.quenor().form();
    EXPECT_EQ(form.selectedOption("optFPSboost"), 3);
    EXPECT_EQ(form.selectedOption("optResolution"), 0);
    EXPECT_FALSE(rig.widget<QRadioButton>("optResolution", 1)->isChecked());
    EXPECT_TRUE(rig.widget<QRadioButton>("optResolution", 0)->isChecked());
}

TEST(QuenorWidget, ApplyWritesTheChosenSettingsIntoTheGame) {
    QtToolRig rig;
    ASSERT_TRUE(rig.start());
    click(rig.widget<QWidget>("optResolution", 1));  // 1600x1000
    click(rig.widget<QWidget>("optVSYNC", 1));
    click(rig.widget<QWidget>("optFPSboost", 3));
    rig.boxes.press(SB::Yes);
    rig.boxes.press(SB::Ok);
    click(rig.widget<QWidget>("btnApplySettings"));

    ASSERT_EQ(rig.boxes.seen().size(), 2u);
    EXPECT_EQ(rig.boxes.seen()[0].title, QString("Apply changes?"));
    EXPECT_EQ(rig.boxes.seen()[0].defaultButton, SB::Yes);
    EXPECT_EQ(rig.boxes.seen()[1].title, QString("All done!"));
    EXPECT_EQ(rig.registryValue(reg::kCurrentUser, kGameKey, "GFX Mode"), "4");
    EXPECT_EQ(rig.registryValue(reg::kCurrentUser, std::string(kGameKey) + "\\Details Settings",
                                "OnPlay Player"),
              "100");
    EXPECT_EQ(rig.registryValue(reg::kCurrentUser, kSettingsKey, "Resolution"), "1");
    const std::string frame4 = rig.archiveEntry("sgsm4.cfg");
    EXPECT_NE(frame4.find("devicewidth 1600\r\n"), std::string::npos) << frame4;
    EXPECT_NE(frame4.find("deviceheight 1000\r\n"), std::string::npos) << frame4;
    for (const char* name : {"sgsm1.cfg", "sgsm2.cfg", "sgsm3.cfg", "sgsm4.cfg"}) {
        EXPECT_EQ(countOf(rig.archiveEntry(name), "enablevsync false\r\n"), 1u) << name;
    }
    EXPECT_TRUE(contains(rig.logMessages(), "MsgBox 'Apply changes?' Click Yes"));
}

TEST(QuenorWidget, UserDefinedSizeTypedAndPickedInTheWidgets) {
    QtToolRig rig;
    ASSERT_TRUE(rig.start());
    click(rig.widget<QWidget>("optResolution", 4));
    auto* width = rig.widget<QLineEdit>("txtResWidth");
    auto* height = rig.widget<QLineEdit>("txtResHeight");
    ASSERT_TRUE(width->isEnabled());
    width->setFocus();
    QTest::keyClicks(width, "14401");  // the fifth character is refused
    height->setFocus();
    QTest::keyClicks(height, "900");
    auto* list = rig.widget<QComboBox>("lstResFrame");
    list->setFocus();
    for (int i = 0; i < 4; ++i) QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(width->text(), QString("1440"));
    EXPECT_EQ(rig.quenor().form().control("txtResWidth").text, "1440");
    EXPECT_EQ(list->currentText(), QString("1600 x 1200"));

    rig.boxes.press(SB::Yes);
    rig.boxes.press(SB::Ok);
    click(rig.widget<QWidget>("btnApplySettings"));
    const std::string frame4 = rig.archiveEntry("sgsm4.cfg");
    EXPECT_NE(frame4.find("devicewidth 1440\r\n"), std::string::npos) << frame4;
    EXPECT_NE(frame4.find("deviceheight 900\r\n"), std::string::npos) << frame4;
    EXPECT_EQ(rig.registryValue(reg::kCurrentUser, kSettingsKey, "DeviceWidth"), "1440");
    EXPECT_EQ(rig.registryValue(reg::kCurrentUser, kSettingsKey, "ResFrame"), "4");

    // Back to a preset: the boxes empty and disabled, the list back at its prompt.
    click(rig.widget<QWidget>("optResolution", 2));
    EXPECT_TRUE(width->text().isEmpty());
    EXPECT_FALSE(width->isEnabled());
    EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_FALSE(list->isEnabled());
}

TEST(QuenorWidget, ApplyNotConfirmedChangesNothing) {
    for (const bool closeBox : {false, true}) {
        QtToolRig rig;
        ASSERT_TRUE(rig.start());
        click(rig.widget<QWidget>("optResolution", 0));
        const std::string before = rig.archiveEntry("sgsm3.cfg");
        if (closeBox) {
            rig.boxes.closeBox();
        } else {
            rig.boxes.press(SB::No);
        }
        click(rig.widget<QWidget>("btnApplySettings"));
        EXPECT_EQ(rig.boxes.seen().size(), 1u);
        EXPECT_EQ(rig.archiveEntry("sgsm3.cfg"), before);
        EXPECT_EQ(rig.registryValue(reg::kCurrentUser, kGameKey, "GFX Mode"), std::nullopt);
        EXPECT_EQ(rig.logMessages().back(), "MsgBox 'Apply Changes?' Click No");
    }
}

TEST(QuenorWidget, MoreInfoLabelsShowTheirHelpAndLogNothing) {
    const char* const labels[] = {"labMoreResolution", "labMoreInfoResFrame", "labMoreInfoVSYNC",
                                  "labMoreInfoFPS", "labQuenorLogging"};
    QtToolRig rig;
    ASSERT_TRUE(rig.start());
    const std::vector<std::string> logBefore = rig.logMessages();
    for (const char* label : labels) {
        rig.boxes.press(SB::Ok);
        click(rig.widget<QWidget>(label));
    }
    ASSERT_EQ(rig.boxes.seen().size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        const MessageBoxRequest wanted = helpMessage(*helpTopicOfLabel(labels[i]));
        const testing::SeenBox& seen = rig.boxes.seen()[i];
        EXPECT_EQ(seen.title.toStdString(), wanted.title) << labels[i];
        EXPECT_EQ(seen.icon, QMessageBox::Information) << labels[i];
        EXPECT_EQ(seen.buttons, std::vector<SB>{SB::Ok}) << labels[i];
        EXPECT_EQ(seen.text.count('\n'), static_cast<qsizetype>(countOf(wanted.text, "\r")));
        EXPECT_FALSE(seen.text.contains('\r')) << labels[i];
    }
    EXPECT_EQ(rig.logMessages(), logBefore);
}

TEST(QuenorWidget, QuitAskedFirstAndTheCloseButtonUnloadsAtOnce) {
    {
        QtToolRig rig;
        ASSERT_TRUE(rig.start());
        const std::size_t before = rig.logMessages().size();
        rig.boxes.press(SB::No);
        click(rig.widget<QWidget>("btnQuit"));
        EXPECT_TRUE(rig.window().isVisible());
        EXPECT_EQ(rig.logMessages().size(), before + 1);
        EXPECT_EQ(rig.logMessages().back(), "btnQuit_Click");
        EXPECT_EQ(rig.boxes.seen()[0].title, QString("Quit Quenor?"));
        EXPECT_EQ(rig.boxes.seen()[0].defaultButton, SB::Yes);

        rig.boxes.press(SB::Yes);
        click(rig.widget<QWidget>("btnQuit"));
        EXPECT_FALSE(rig.window().isVisible());
        EXPECT_TRUE(rig.quenor().unloaded());
        const std::vector<std::string> log = rig.logMessages();
        ASSERT_GE(log.size(), 2u);
        EXPECT_EQ(log[log.size() - 2], "Quenor Unload - OK");
        EXPECT_EQ(log.back(), std::string(54, '*'));
    }
    {
        QtToolRig rig;
        ASSERT_TRUE(rig.start());
        rig.window().close();  // the window manager's close: no question
        EXPECT_TRUE(rig.boxes.seen().empty());
        EXPECT_TRUE(rig.quenor().unloaded());
        EXPECT_EQ(rig.logMessages().back(), std::string(54, '*'));
        EXPECT_EQ(countOf(rig.logMessages().back(), "*"), 54u);
    }
}

TEST(QuenorWidget, DeleteLogFileAfterYesOnly) {
    QtToolRig rig;
    ASSERT_TRUE(rig.start());
    ASSERT_TRUE(rig.logExists());
    rig.boxes.press(SB::No);
    click(rig.widget<QWidget>("btnDeleteQuenorlog"));
    EXPECT_TRUE(rig.logExists());
    rig.boxes.press(SB::Yes);
    click(rig.widget<QWidget>("btnDeleteQuenorlog"));
    EXPECT_FALSE(rig.logExists());
    EXPECT_EQ(rig.boxes.seen().size(), 2u);
}

TEST(QuenorWidget, LaidOutProportionallyAt144Dpi) {
    QtToolRig rig(144);
    ASSERT_TRUE(rig.start());
    EXPECT_EQ(rig.window().size(), QSize(630, 647));
    QWidget* quit = rig.widget<QWidget>("btnQuit");
    EXPECT_EQ(QRect(quit->mapTo(&rig.window(), QPoint(0, 0)), quit->size()),
              QRect(456, 588, 134, 38));
    // 14.25 pt: 19 pixels at 96 dpi, times 1.5, rounded down.
    EXPECT_EQ(rig.widget<QWidget>("Label1")->font().pixelSize(), 28);
}

}  // namespace
}  // namespace quenor::ui::qt
