// Test main of the Qt front end's tests: a QApplication on the offscreen platform, so the
// tests drive real widgets without a display and see a 96 dpi screen. QUENOR_QT_TEST_PLATFORM
// names another platform (xcb under Xvfb: window/qt/tests/on_xvfb.sh).

#include <gtest/gtest.h>

#include <QApplication>

#include "window/qt/font_choice.h"

int main(int argc, char** argv) {
    const QByteArray platform = qgetenv("QUENOR_QT_TEST_PLATFORM");
    qputenv("QT_QPA_PLATFORM", platform.isEmpty() ? QByteArray("offscreen") : platform);
    QApplication app(argc, argv);
    // As the program does: a copy of this test in a bundle's bin folder measures the captions
    // with the bundle's fonts.
    quenor::ui::qt::addShippedFonts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
