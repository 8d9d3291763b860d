// Absent handling with a tick counter the test turns by hand.
#include "plugin/im/avalin/AvalinIds.h"
#include "plugin/im/avalin/CIdleWatch.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kMinute = 60000;

class IdleWatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        watch.SetTick([this] { return tick; });
    }
    bool Tick(const char* status = "OnNet", uint32_t colour = AvalinColour::Green) {
        return watch.OnTick(true, QString::fromUtf8(status), colour);
    }
    uint32_t tick = 1000;
    CIdleWatch watch;
};

TEST_F(IdleWatchTest, GoesAwayAfterTheMinutesAndComesBackOnInputOnce) {
    ASSERT_TRUE(watch.Start(true, 2, CIdleWatch::FromOnNet));
    EXPECT_EQ(watch.LastActivity(), 1000u);
    tick += 2 * kMinute - 1;
    EXPECT_FALSE(Tick());
    tick += 1;
    EXPECT_FALSE(watch.OnTick(false, u"OnNet"_qs, AvalinColour::Green)) << "logged off";
    EXPECT_TRUE(Tick());
    EXPECT_TRUE(watch.IsAbsent());
    EXPECT_FALSE(Tick()) << "already away: nothing is sent twice";

    // Input while logged off changes nothing; after log-on it brings the user back.
    EXPECT_FALSE(watch.OnActivity(false));
    EXPECT_TRUE(watch.IsAbsent());
    tick += 5;
    EXPECT_TRUE(watch.OnActivity(true));
    EXPECT_FALSE(watch.IsAbsent());
    EXPECT_EQ(watch.LastActivity(), tick);
    EXPECT_FALSE(watch.OnActivity(true)) << "only the first input returns";
}

TEST_F(IdleWatchTest, ReservationKeepsAChosenStatusAndIsCheckedAgainEverySecond) {
    watch.Start(true, 1, CIdleWatch::FromOnNet);
    tick += kMinute;
    EXPECT_FALSE(Tick("会議中"));
    EXPECT_TRUE(Tick("onnet")) << "the user set OnNet again later: away at the next tick";

    watch.OnActivity(true);
    watch.Start(true, 1, CIdleWatch::FromGreen);
    tick += kMinute;
    EXPECT_FALSE(Tick("OnNet", AvalinColour::Yellow));
    EXPECT_TRUE(Tick("会議中", AvalinColour::Green));

    watch.OnActivity(true);
    watch.Start(true, 1, CIdleWatch::Always);
    tick += kMinute;
    EXPECT_TRUE(Tick("会議中", AvalinColour::Red));
}

TEST_F(IdleWatchTest, TimeOutsideOneToOneHundredTwentyOrSwitchedOffRunsNoTimer) {
    for (int minutes : {0, 121, -5}) {
        EXPECT_FALSE(watch.Start(true, minutes, CIdleWatch::Always)) << minutes;
        EXPECT_EQ(watch.LastActivity(), 0u);
        tick += 1000 * kMinute;
        EXPECT_FALSE(Tick());
        watch.OnActivity(true);
        EXPECT_EQ(watch.LastActivity(), 0u) << "input only resets the tick";
    }
    EXPECT_TRUE(watch.Start(true, 120, CIdleWatch::Always));
    EXPECT_FALSE(watch.Start(false, 10, CIdleWatch::Always));
    tick += 1000 * kMinute;
    EXPECT_FALSE(Tick());
}

TEST_F(IdleWatchTest, ElapsedTimeStaysRightWhenTheTickCounterWraps) {
    EXPECT_EQ(CIdleWatch::Elapsed(5000, 1000), 4000u);
    EXPECT_EQ(CIdleWatch::Elapsed(1000, 1000), 0u);
    // Wrapped: within one millisecond of the true distance.
    EXPECT_EQ(CIdleWatch::Elapsed(10, 0xFFFFFFF0u), 25u);
    EXPECT_EQ(CIdleWatch::Elapsed(0, 0xFFFFFFFFu), 0u);

    tick = 0xFFFFFFFFu - 30000; // half a minute before the wrap
    watch.Start(true, 1, CIdleWatch::Always);
    tick = 29000; // wrapped, 59 s later
    EXPECT_FALSE(Tick());
    tick = 30001;
    EXPECT_TRUE(Tick());
}

TEST_F(IdleWatchTest, AShortenedMinuteScalesTheWait) {
    watch.SetMinute(500);
    watch.Start(true, 2, CIdleWatch::Always);
    tick += 999;
    EXPECT_FALSE(Tick());
    tick += 1;
    EXPECT_TRUE(Tick());
}

} // namespace
