// The hook on a real X display: input made with xdotool must reach the window to notify,
// and stop reaching it once the hook is reset or the window is cleared.
#include "plugin/im/avalinh/tests/CHookLibrary.h"

#include <QDir>
#include <QProcess>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <thread>

namespace {

class CountingWindow : public QWidget {
public:
    int activity = 0;

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::Type(ZeltaMsg::ActivityInput)) {
            ++activity;
            return true;
        }
        return QWidget::event(e);
    }
};

constexpr int kArrivalMs = 5000; // generous: only a failure waits this long
constexpr int kQuietMs = 300;

qsizetype threadCount() {
    return QDir("/proc/self/task").count();
}

bool xdotool(const QStringList& args) {
    QProcess p;
    p.start("xdotool", args);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

class ActivityHookOnX11 : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY"));
        ASSERT_TRUE(hook.bound()) << hook.error().constData();
        baseThreads = threadCount();
    }
    void TearDown() override {
        if (hook.bound()) {
            hook.SetNotifyWnd(nullptr);
            hook.ResetHook();
        }
    }

    bool typeKey() { return xdotool({"key", "x"}); }

    bool keyReaches(const CountingWindow& w) {
        const int before = w.activity;
        return typeKey() && QTest::qWaitFor([&] { return w.activity > before; }, kArrivalMs);
    }

    // Relative moves go through the pointer device as a hand would; an absolute move is a
    // warp, which the X server does not report as device input.
    bool nudgePointer(int dx) {
        return xdotool({"mousemove_relative", "--", QString::number(dx), "0"});
    }

    // The first move after loading only records the position; moving on back and forth
    // reports from the second move on.
    bool movePointerUntil(const CountingWindow& w, int above) {
        QDeadlineTimer deadline(kArrivalMs);
        for (int i = 0; !deadline.hasExpired(); ++i) {
            if (!nudgePointer(i % 2 ? -40 : 40))
                return false;
            if (QTest::qWaitFor([&] { return w.activity > above; }, 200))
                return true;
        }
        return false;
    }

    // Lets notifications already under way arrive, then reports whether new input stays
    // unseen for a while.
    bool staysQuietAfterInput(const CountingWindow& w) {
        QTest::qWait(50);
        const int before = w.activity;
        const bool made = typeKey() && nudgePointer(25) && nudgePointer(-25);
        QTest::qWait(kQuietMs);
        return made && w.activity == before;
    }

    bool threadsBackTo(qsizetype n) {
        return QTest::qWaitFor([&] { return threadCount() == n; }, kArrivalMs);
    }

    CHookLibrary hook;
    qsizetype baseThreads = 0;
};

} // namespace

TEST_F(ActivityHookOnX11, KeyStrokesAndPointerMovesReachTheWindow) {
    CountingWindow keys;
    EXPECT_EQ(hook.SetNotifyWnd(&keys), &keys);
    ASSERT_EQ(hook.SetHook(), 1);
    EXPECT_TRUE(keyReaches(keys));

    // A fresh window that only ever sees pointer input, once the key stroke has settled.
    hook.SetNotifyWnd(nullptr);
    QTest::qWait(kQuietMs);
    CountingWindow pointer;
    hook.SetNotifyWnd(&pointer);
    EXPECT_TRUE(movePointerUntil(pointer, 0));
}

TEST_F(ActivityHookOnX11, SettingTheHookTwiceInstallsOnce) {
    CountingWindow w;
    hook.SetNotifyWnd(&w);
    ASSERT_EQ(hook.SetHook(), 1);
    const qsizetype installed = threadCount();
    EXPECT_EQ(installed, baseThreads + 1);
    EXPECT_EQ(hook.SetHook(), 1);
    EXPECT_EQ(threadCount(), installed);

    // One reset removes everything that was installed.
    hook.ResetHook();
    EXPECT_TRUE(threadsBackTo(baseThreads));
    EXPECT_TRUE(staysQuietAfterInput(w));
}

TEST_F(ActivityHookOnX11, NothingArrivesAfterTheHookIsReset) {
    CountingWindow w;
    hook.SetNotifyWnd(&w);
    ASSERT_EQ(hook.SetHook(), 1);
    ASSERT_TRUE(keyReaches(w));

    hook.ResetHook();
    EXPECT_TRUE(staysQuietAfterInput(w));
    EXPECT_TRUE(threadsBackTo(baseThreads));

    // Installing again works and reports again.
    ASSERT_EQ(hook.SetHook(), 1);
    EXPECT_TRUE(keyReaches(w));
}

TEST_F(ActivityHookOnX11, ClearingOrDestroyingTheWindowStopsNotifications) {
    CountingWindow w;
    ASSERT_EQ(hook.SetHook(), 1);
    EXPECT_TRUE(staysQuietAfterInput(w)); // installed, but no window yet

    hook.SetNotifyWnd(&w);
    ASSERT_TRUE(keyReaches(w));
    EXPECT_EQ(hook.SetNotifyWnd(nullptr), nullptr);
    EXPECT_TRUE(staysQuietAfterInput(w));

    // A window destroyed while still stored is dropped, and the hook keeps serving the next.
    auto gone = std::make_unique<CountingWindow>();
    hook.SetNotifyWnd(gone.get());
    gone.reset();
    EXPECT_TRUE(typeKey());
    QTest::qWait(kQuietMs);
    hook.SetNotifyWnd(&w);
    EXPECT_TRUE(keyReaches(w));
}

TEST_F(ActivityHookOnX11, AFailedInstallLeavesNothingRunningAndCanBeRetried) {
    const QByteArray display = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":4999"); // no server there
    EXPECT_EQ(hook.SetHook(), 0);
    qputenv("DISPLAY", display);
    EXPECT_EQ(threadCount(), baseThreads);

    int offThread = -1;
    std::thread([&] { offThread = hook.SetHook(); }).join();
    EXPECT_EQ(offThread, 0); // it needs the event loop of the application thread
    EXPECT_EQ(threadCount(), baseThreads);

    EXPECT_EQ(hook.SetHook(), 1);
}

TEST_F(ActivityHookOnX11, UnloadingTheLibraryStopsAnInstalledHook) {
    CountingWindow w;
    hook.SetNotifyWnd(&w);
    ASSERT_EQ(hook.SetHook(), 1);
    ASSERT_TRUE(keyReaches(w));
    EXPECT_TRUE(typeKey()); // a notification may still be queued while the code goes away
    hook.unload();
    EXPECT_TRUE(threadsBackTo(baseThreads));
    QTest::qWait(kQuietMs);
}
