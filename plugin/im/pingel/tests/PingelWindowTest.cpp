// Placement, growth, fade-in and automatic close of the notification window.
#include "PingelTestSupport.h"

#include "plugin/im/pingel/CPingelGeometry.h"
#include "plugin/im/pingel/CPingelTimeline.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTest>

namespace {

PingelLayoutRequest Request(QSize requested, int lines, int limitedHeight = 0) {
    PingelLayoutRequest r;
    r.workArea = QRect(100, 50, 1200, 900); // right edge x 1299, bottom edge y 949
    r.requested = requested;
    r.lineCount = lines;
    r.limitedHeight = limitedHeight;
    r.lineLimit = 3;
    r.fixedWidth = true;
    r.width = 400;
    r.scrollBarWidth = 17;
    return r;
}

TEST(PingelGeometry, GrowsFromTheWorkAreasBottomRightCornerUpToTheLineLimit) {
    PingelLayoutRequest r = Request(QSize(250, 60), 3);
    PingelLayout out = CPingelGeometry::Compute(r);
    EXPECT_EQ(out.window, QRect(900, 890, 400, 60));
    EXPECT_FALSE(out.scrollBar);

    r.fixedWidth = false;
    EXPECT_EQ(CPingelGeometry::Compute(r).window, QRect(1050, 890, 250, 60));

    // Past the limit: the height of the first three lines, a scroll bar, and the fixed
    // width still includes it; a free width is widened by it.
    r = Request(QSize(250, 80), 4, 60);
    out = CPingelGeometry::Compute(r);
    EXPECT_TRUE(out.scrollBar);
    EXPECT_EQ(out.window, QRect(900, 890, 400, 60));
    r.fixedWidth = false;
    EXPECT_EQ(CPingelGeometry::Compute(r).window, QRect(1033, 890, 267, 60));
}

TEST(PingelGeometry, TooTallTakesTheFullHeightAndTooWideTheFullWidth) {
    PingelLayoutRequest r = Request(QSize(250, 2000), 3);
    PingelLayout out = CPingelGeometry::Compute(r);
    EXPECT_TRUE(out.scrollBar);
    EXPECT_EQ(out.window, QRect(900, 50, 400, 900));

    r = Request(QSize(5000, 60), 1);
    r.fixedWidth = false;
    EXPECT_EQ(CPingelGeometry::Compute(r).window, QRect(100, 890, 1200, 60));
    // Full width with a scroll bar: the window keeps the width, the text gives it up.
    r.requested = QSize(5000, 2000);
    out = CPingelGeometry::Compute(r);
    EXPECT_TRUE(out.scrollBar);
    EXPECT_EQ(out.window, QRect(100, 50, 1200, 900));
    // A fixed width wider than the work area is cut to it as well.
    r = Request(QSize(10, 10), 1);
    r.width = 3000;
    EXPECT_EQ(CPingelGeometry::Compute(r).window, QRect(100, 940, 1200, 10));
}

TEST(PingelTimeline, FadeEndsExactlyOnTheTargetInStepsOfFive) {
    for (const auto& [alpha, target, steps] :
         {std::tuple{70, 76, 16}, {0, 255, 51}, {33, 170, 34}}) {
        CPingelSettings s;
        s.alpha = alpha;
        ASSERT_EQ(s.TargetOpacity(), target);
        CPingelTimeline t;
        t.Open(0, s.TargetOpacity(), true, 5);
        int count = 0;
        int previous = t.Opacity();
        EXPECT_EQ(previous, 0);
        while (t.Fading()) {
            const int next = t.FadeStep();
            ++count;
            if (t.Fading()) {
                EXPECT_EQ(next, previous + 5) << alpha;
            }
            previous = next;
        }
        EXPECT_EQ(previous, target) << alpha;
        EXPECT_EQ(count, steps) << alpha;
        EXPECT_EQ(t.FadeStep(), target) << "no step past the target";
    }
}

class NotifyWindow : public PingelTest {
protected:
    void SetUp() override {
        PingelTest::SetUp();
        ScriptedCore::AddGroup(u"g"_qs, u"総務"_qs);
        ScriptedCore::AddMembership(u"g"_qs, u"m"_qs, u"田中"_qs, u"on"_qs);
    }
    // One status line per call.
    void Event(const QString& status = u"会議中"_qs) {
        ScriptedCore::SetStatus(u"g"_qs, u"m"_qs, status);
        app->OnChangeMemPresence(u"g", u"m", u"");
    }
    static QRect WorkArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }
};

TEST_F(NotifyWindow, StopsGrowingAtTheLineLimitAndScrollsToTheLastLine) {
    ScriptedCore::SetInt(u"Line"_qs, u"Size"_qs, 3);
    Event(u"一"_qs);
    CPingelWnd* wnd = app->Window();
    ASSERT_NE(wnd, nullptr);
    const int one = wnd->height();
    Event(u"二"_qs);
    Event(u"三"_qs);
    const int three = wnd->height();
    EXPECT_GT(three, one);
    EXPECT_EQ(wnd->Layout().scrollBar, false);
    Event(u"四"_qs);
    Event(u"五"_qs);
    EXPECT_EQ(wnd->height(), three);
    EXPECT_TRUE(wnd->Layout().scrollBar);
    QScrollBar* bar = wnd->TextControl()->verticalScrollBar();
    EXPECT_EQ(wnd->TextControl()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    // Fixed width, scroll bar included, in the bottom-right corner.
    EXPECT_EQ(wnd->geometry().width(), 400);
    EXPECT_EQ(wnd->geometry().right(), WorkArea().right());
    EXPECT_EQ(wnd->geometry().bottom(), WorkArea().bottom());
    EXPECT_EQ(Lines().size(), 5);
}

TEST_F(NotifyWindow, WithoutFixedWidthTheWindowIsAsWideAsItsLongestLine) {
    ScriptedCore::SetInt(u"Width"_qs, u"Enable"_qs, 0);
    Event(u"短"_qs);
    CPingelWnd* wnd = app->Window();
    ASSERT_NE(wnd, nullptr);
    const int narrow = wnd->width();
    Event(u"とても長い状態の説明がここに入ります、とても長い状態の説明"_qs);
    const int wide = wnd->width();
    EXPECT_GT(wide, narrow);
    Event(u"短"_qs);
    EXPECT_EQ(wnd->width(), wide);
    EXPECT_EQ(wnd->geometry().right(), WorkArea().right());
    EXPECT_EQ(wnd->TextControl()->lineWrapMode(), QTextEdit::NoWrap);
}

TEST_F(NotifyWindow, TallerThanTheWorkAreaTakesItsFullHeight) {
    ScriptedCore::SetInt(u"Line"_qs, u"Size"_qs, 100);
    ScriptedCore::SetInt(u"Status"_qs, u"FontSize"_qs, 64);
    for (int i = 0; i < 30; ++i)
        Event(QString::number(i));
    CPingelWnd* wnd = app->Window();
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(wnd->geometry().top(), WorkArea().top());
    EXPECT_EQ(wnd->geometry().bottom(), WorkArea().bottom());
    EXPECT_TRUE(wnd->Layout().scrollBar);
    QScrollBar* bar = wnd->TextControl()->verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(NotifyWindow, FadesInToTheTargetOfTheTransparency) {
    ScriptedCore::SetInt(u"PINGEL"_qs, u"Alpha"_qs, 70);
    Event();
    CPingelWnd* wnd = app->Window();
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(wnd->windowOpacity(), 0.0);
    int ticks = 0;
    while (wnd->Timeline().Fading() && ticks < 100) {
        wnd->FadeTick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 16);
    EXPECT_EQ(qRound(wnd->windowOpacity() * 255), 76);
}

TEST_F(NotifyWindow, ClosesAfterTheCloseTimeEvenWhileLinesKeepArriving) {
    const qint64 opened = now;
    Event(u"一"_qs);
    CPingelWnd* first = app->Window();
    ASSERT_NE(first, nullptr);
    QPointer<CPingelWnd> watch(first);
    for (qint64 t = 500; t < 5000; t += 500) {
        now = opened + t;
        Event(QString::number(t));
        first->CloseTick();
        ASSERT_EQ(app->Window(), first) << "still open at " << t << " ms";
    }
    now = opened + 4999;
    first->CloseTick();
    EXPECT_EQ(app->Window(), first);
    now = opened + 5000;
    first->CloseTick();
    EXPECT_EQ(app->Window(), nullptr);
    EXPECT_FALSE(first->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());

    // The next event opens a new window with only its own line.
    Event(u"新"_qs);
    ASSERT_NE(app->Window(), nullptr);
    EXPECT_EQ(Lines().size(), 1);
}

TEST_F(NotifyWindow, TheTimersFadeInAndCloseOnTheirOwn) {
    app->SetClock([] { return QDateTime::currentMSecsSinceEpoch(); });
    ScriptedCore::SetInt(u"PINGEL"_qs, u"Alpha"_qs, 70);
    ScriptedCore::SetInt(u"Close"_qs, u"Time"_qs, 1);
    Event();
    QPointer<CPingelWnd> wnd(app->Window());
    ASSERT_FALSE(wnd.isNull());
    EXPECT_TRUE(QTest::qWaitFor([&] { return qRound(wnd->windowOpacity() * 255) == 76; }, 2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return app->Window() == nullptr; }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return wnd.isNull(); }, 1000));
}

TEST_F(NotifyWindow, StaysOpenWithoutAutomaticClose) {
    ScriptedCore::SetInt(u"Close"_qs, u"Enable"_qs, 0);
    Event();
    CPingelWnd* wnd = app->Window();
    now += 1'000'000;
    wnd->CloseTick();
    EXPECT_EQ(app->Window(), wnd);
}

TEST_F(NotifyWindow, AMousePressInTheTextClosesIt) {
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        Event();
        CPingelWnd* wnd = app->Window();
        ASSERT_NE(wnd, nullptr);
        QTest::mousePress(wnd->TextControl()->viewport(), button, {}, QPoint(5, 5));
        EXPECT_EQ(app->Window(), nullptr) << int(button);
    }
}

TEST_F(NotifyWindow, LogOffClosesTheWindowAndKillDeletesIt) {
    Event();
    QPointer<CPingelWnd> wnd(app->Window());
    app->OnLogoff(0);
    EXPECT_FALSE(wnd.isNull()) << "a zero flag does nothing";
    EXPECT_TRUE(app->IsLoggedOn());
    app->OnLogoff(1);
    EXPECT_TRUE(wnd.isNull());
    EXPECT_FALSE(app->IsLoggedOn());

    // Closed by its timer and not yet deleted by the event loop: OnKill deletes it.
    Event();
    wnd = app->Window();
    wnd->Destroy();
    EXPECT_FALSE(wnd.isNull());
    app->OnKill();
    EXPECT_TRUE(wnd.isNull());
}

TEST_F(NotifyWindow, BorderBackgroundAndStoredValuesOutOfRangeAreHonouredSafely) {
    ScriptedCore::SetInt(u"PINGEL"_qs, u"Border"_qs, 0);
    ScriptedCore::SetInt(u"BackGround"_qs, u"Color"_qs, 0x00336699);
    ScriptedCore::SetInt(u"Line"_qs, u"Size"_qs, 0);      // stored while the checks were off
    ScriptedCore::SetInt(u"PINGEL"_qs, u"Alpha"_qs, 100); // would be an invisible window
    Event();
    CPingelWnd* wnd = app->Window();
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(wnd->frameWidth(), 0);
    EXPECT_EQ(wnd->TextControl()->palette().color(QPalette::Base), QColor(0x99, 0x66, 0x33));
    EXPECT_GT(wnd->height(), 0);
    EXPECT_EQ(wnd->Timeline().Target(), 76);
}

} // namespace
