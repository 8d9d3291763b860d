// Test entry point: every suite runs inside a QApplication, so widget tests and tests of
// event-driven logic share one set-up. The platform comes from QT_QPA_PLATFORM (offscreen,
// or xcb under Xvfb for tests that need real desktop input).
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
