#include "plugin/im/avalinh/ActivityCheck.h"
#include "plugin/im/avalinh/tests/CHookLibrary.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct CheckCase {
    const char* what;
    tagACTIVITYINPUT input;
    tagACTIVITYPOS last;
    bool hasWindow;
    bool post;
    tagACTIVITYPOS kept;
};

constexpr tagACTIVITYINPUT message(uint32_t m, int32_t x = 0, int32_t y = 0) {
    return {ActivitySourceMessage, m, x, y};
}
constexpr tagACTIVITYINPUT key(uint32_t m) {
    return {ActivitySourceKeyboard, m, 0, 0};
}

const CheckCase kCases[] = {
    {"first move after load",
     message(ActivityMsg::MouseMove, 10, 20),
     {-1, -1},
     true,
     false,
     {10, 20}},
    {"second, distinct move",
     message(ActivityMsg::MouseMove, 11, 20),
     {10, 20},
     true,
     true,
     {11, 20}},
    {"move to the same position",
     message(ActivityMsg::MouseMove, 10, 20),
     {10, 20},
     true,
     false,
     {10, 20}},
    {"non-client move", message(ActivityMsg::NcMouseMove, 10, 21), {10, 20}, true, true, {10, 21}},
    {"only x known", message(ActivityMsg::MouseMove, 5, 5), {4, -1}, true, false, {5, 5}},
    {"only y known", message(ActivityMsg::MouseMove, 5, 5), {-1, 4}, true, false, {5, 5}},
    {"key up", message(ActivityMsg::KeyUp), {7, 8}, true, true, {7, 8}},
    {"character", message(ActivityMsg::Char), {-1, -1}, true, true, {-1, -1}},
    {"left button up", message(ActivityMsg::LButtonUp, 1, 1), {7, 8}, true, true, {7, 8}},
    {"right button up", message(ActivityMsg::RButtonUp), {7, 8}, true, true, {7, 8}},
    {"middle button up", message(ActivityMsg::MButtonUp), {7, 8}, true, true, {7, 8}},
    {"key down as a window message", message(ActivityMsg::KeyDown), {7, 8}, true, false, {7, 8}},
    {"wheel", message(ActivityMsg::MouseWheel), {7, 8}, true, false, {7, 8}},
    {"extra button up", message(ActivityMsg::XButtonUp), {7, 8}, true, false, {7, 8}},
    {"key down from the keyboard", key(ActivityMsg::KeyDown), {7, 8}, true, true, {7, 8}},
    {"key up from the keyboard", key(ActivityMsg::KeyUp), {7, 8}, true, true, {7, 8}},
    {"no window: move", message(ActivityMsg::MouseMove, 11, 20), {10, 20}, false, false, {10, 20}},
    {"no window: key up", message(ActivityMsg::KeyUp), {10, 20}, false, false, {10, 20}},
    {"no window: button up", message(ActivityMsg::LButtonUp), {10, 20}, false, false, {10, 20}},
    {"no window: keyboard", key(ActivityMsg::KeyDown), {10, 20}, false, false, {10, 20}},
};

} // namespace

TEST(ActivityCheck, DecidesEachKindOfInputAndKeepsThePointerPosition) {
    for (const CheckCase& c : kCases) {
        SCOPED_TRACE(c.what);
        const tagACTIVITYVERDICT v = CheckActivityInput(c.input, c.last, c.hasWindow);
        EXPECT_EQ(v.post, c.post);
        EXPECT_EQ(v.last.x, c.kept.x);
        EXPECT_EQ(v.last.y, c.kept.y);
    }
}

// Without an X display the hook installs nothing and says so; the window is still stored
// and handed back.
TEST(ActivityHookExports, SetHookFailsWithoutADisplay) {
    CHookLibrary hook;
    ASSERT_TRUE(hook.bound()) << hook.error().constData();
    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    const qsizetype threads = QDir("/proc/self/task").count();
    QWidget window;
    EXPECT_EQ(hook.SetNotifyWnd(&window), &window);
    EXPECT_EQ(hook.SetHook(), 0);
    EXPECT_EQ(QDir("/proc/self/task").count(), threads);
    EXPECT_EQ(hook.SetNotifyWnd(nullptr), nullptr);
    hook.ResetHook();
    if (!display.isNull())
        qputenv("DISPLAY", display);
}

// An X server that goes away while the hook reads from it ends the reading, never the
// application, and resetting afterwards returns.
TEST(ActivityHookExports, ALostXServerEndsReadingButNotTheApplication) {
    if (QStandardPaths::findExecutable("Xvfb").isEmpty())
        GTEST_SKIP() << "Xvfb is not installed";
    QProcess server;
    server.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp"});
    ASSERT_TRUE(server.waitForStarted(5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.canReadLine(); }, 10000));
    const QByteArray display = ":" + server.readLine().trimmed();

    CHookLibrary hook;
    ASSERT_TRUE(hook.bound()) << hook.error().constData();
    const QByteArray saved = qgetenv("DISPLAY");
    qputenv("DISPLAY", display);
    const qsizetype threads = QDir("/proc/self/task").count();
    const int installed = hook.SetHook();
    saved.isNull() ? qunsetenv("DISPLAY") : qputenv("DISPLAY", saved);
    ASSERT_EQ(installed, 1);

    server.terminate();
    ASSERT_TRUE(server.waitForFinished(5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QDir("/proc/self/task").count() == threads; }, 5000));
    hook.ResetHook();
}
