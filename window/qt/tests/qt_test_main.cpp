// Test main of the Qt front end's tests: a QApplication on the offscreen platform, so the
// tests drive real widgets without a display and see a 96 dpi screen.

#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
