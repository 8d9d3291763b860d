// Test entry point: every suite runs inside a QApplication, so widget tests and tests of
// event-driven logic share one set-up. The build compiles in the test environment
// (ZELTA_TEST_ENV: NAME=value lines): the platform (offscreen, or xcb under Xvfb for tests
// that need real desktop input) and the build's program and test directories. A value set
// from outside wins, so a developer can run one suite on another platform. Qt speaks
// Japanese, as it does in the program.
#include "obrix/QtTexts.h"

#include <QApplication>
#include <QByteArray>
#include <QList>
#include <gtest/gtest.h>

#ifndef ZELTA_TEST_ENV
#define ZELTA_TEST_ENV ""
#endif

namespace {
void applyTestEnvironment() {
    const QList<QByteArray> lines = QByteArray(ZELTA_TEST_ENV).split('\n');
    for (const QByteArray& line : lines) {
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        const QByteArray name = line.left(eq);
        if (!qEnvironmentVariableIsSet(name.constData()))
            qputenv(name.constData(), line.mid(eq + 1));
    }
}
} // namespace

int main(int argc, char** argv) {
    applyTestEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QtTexts::InstallJapanese();
    return RUN_ALL_TESTS();
}
