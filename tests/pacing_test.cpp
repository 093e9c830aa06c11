#include "app/sdl/pacing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace sdl {
namespace {

constexpr double kPeriod = 1e6 / 60;

TEST(PresentScheduleTest, HandsOverWhenDueAndTheFrameHasRoom) {
    PresentSchedule s{1000};
    EXPECT_FALSE(s.Due(999, kPeriod, 5000, 100, 50)) << "not before its time";
    EXPECT_TRUE(s.Due(1000, kPeriod, 150, 100, 50)) << "exactly room for cost and polled stretch";
    EXPECT_FALSE(s.Due(1000, kPeriod, 149, 100, 50)) << "a frame without room waits";
    EXPECT_FALSE(s.Due(1000 + kPeriod - 1, kPeriod, 0, 100, 50));
}

TEST(PresentScheduleTest, OneRefreshLateItGoesAheadWhateverTheEstimate) {
    // An estimate inflated by one slow present must not shut presenting out.
    PresentSchedule s{1000};
    EXPECT_FALSE(s.Due(1000 + kPeriod / 2, kPeriod, 600, 200000, 50));
    EXPECT_TRUE(s.Due(1000 + kPeriod, kPeriod, 600, 200000, 50));
    EXPECT_TRUE(s.Due(1000 + kPeriod, kPeriod, 0, 200000, 50)) << "even outside a frame's wait";
}

TEST(PresentScheduleTest, KeepsToTheRefreshGridAndRestartsItWhenLeftBehind) {
    PresentSchedule s{10000};
    s.HandedOver(10300, kPeriod);  // a little late: the grid holds
    EXPECT_DOUBLE_EQ(s.dueUs, 10000 + kPeriod);
    s.HandedOver(10000 + 3 * kPeriod, kPeriod);  // nothing changed for a while
    EXPECT_DOUBLE_EQ(s.dueUs, 10000 + 4 * kPeriod);
    s.HandedOver(10000 + 3.5 * kPeriod, kPeriod);  // forced ahead of time (shown at once)
    EXPECT_DOUBLE_EQ(s.dueUs, 10000 + 4.5 * kPeriod);
}

// A ride on a made-up clock: frames of `frameUs` whose work takes `workUs`, the
// road moving one pixel a frame. Returns the frame numbers handed over.
std::vector<int> Ride(double frameUs, double workUs, double costUs, double seconds) {
    PresentSchedule s;
    std::vector<int> shown;
    double now = 0;
    for (int frame = 0; now < seconds * 1e6; ++frame) {
        const double start = now;
        now += workUs;
        bool handed = false;
        // The wait: polled every 10 us; the first step may hand over.
        while (now - start < frameUs) {
            if (!handed && s.Due(now, kPeriod, frameUs - (now - start), costUs, 50)) {
                s.HandedOver(now, kPeriod);
                shown.push_back(frame);
                handed = true;
                now += costUs;
            }
            now += 10;
        }
    }
    return shown;
}

TEST(PresentScheduleTest, ShortFramesAreShownAtTheRefreshRateEachOnce) {
    for (const double frameUs : {3125.0, 1250.0, 781.25, 625.0}) {
        const std::vector<int> shown = Ride(frameUs, 80, 120, 1.0);
        EXPECT_GE(shown.size(), 59u) << frameUs;
        EXPECT_LE(shown.size(), 61u) << frameUs;
        // Even steps: each present shows a newer frame, and the road moves by
        // about the same number of frames between two of them.
        const double step = kPeriod / frameUs;
        for (size_t i = 1; i < shown.size(); ++i) {
            EXPECT_GT(shown[i], shown[i - 1]);
            EXPECT_NEAR(shown[i] - shown[i - 1], step, 1.01) << frameUs << " at " << i;
        }
    }
}

TEST(PresentScheduleTest, PresentsThatNeverFitAFrameStillComeEverySecondRefresh) {
    const std::vector<int> shown = Ride(625, 80, 5000, 1.0);
    EXPECT_GE(shown.size(), 29u);
    EXPECT_LE(shown.size(), 31u);
}

TEST(PlanWaitTest, PollsOutsideAWaitAndNearTheDeadline) {
    EXPECT_EQ(PlanWait(0, -1, -1, 50).kind, WaitStep::Kind::Poll);
    EXPECT_EQ(PlanWait(-5, -1, -1, 50).kind, WaitStep::Kind::Poll);
    EXPECT_EQ(PlanWait(50, -1, -1, 50).kind, WaitStep::Kind::Poll);
    EXPECT_EQ(PlanWait(79, -1, -1, 50).kind, WaitStep::Kind::Poll) << "too short a sleep to be worth it";
}

TEST(PlanWaitTest, SleepsAllButThePolledStretch) {
    const WaitStep s = PlanWait(625, -1, -1, 60);
    EXPECT_EQ(s.kind, WaitStep::Kind::Sleep);
    EXPECT_DOUBLE_EQ(s.us, 565);
    EXPECT_DOUBLE_EQ(PlanWait(2999 + 60, -1, -1, 60).us, 2999);
}

TEST(PlanWaitTest, LongWaitsListenForInputAndLeaveTheLastMillisecondToASleep) {
    const WaitStep s = PlanWait(25000, -1, -1, 60);
    EXPECT_EQ(s.kind, WaitStep::Kind::WaitEvents);
    EXPECT_EQ(s.ms, 23);
    EXPECT_EQ(PlanWait(3060, -1, -1, 60).kind, WaitStep::Kind::WaitEvents);
    EXPECT_EQ(PlanWait(3060, -1, -1, 60).ms, 2);
}

TEST(PlanWaitTest, WakesForTheNextTimerAndThePendingPresent) {
    EXPECT_DOUBLE_EQ(PlanWait(3000, 700, -1, 60).us, 700);
    EXPECT_DOUBLE_EQ(PlanWait(3000, -1, 400, 60).us, 400);
    EXPECT_DOUBLE_EQ(PlanWait(3000, 900, 400, 60).us, 400);
    EXPECT_EQ(PlanWait(3000, 10, -1, 60).kind, WaitStep::Kind::Poll) << "a timer due at once";
    // A present already due but put off does not keep the rest of the frame busy.
    EXPECT_DOUBLE_EQ(PlanWait(600, -1, 0, 60).us, 540);
    EXPECT_DOUBLE_EQ(PlanWait(600, -1, -300, 60).us, 540);
    EXPECT_EQ(PlanWait(25000, 5000, -1, 60).ms, 4);
}

TEST(SleepMarginTest, RisesFastAfterLateWakeUpsAndSinksSlowly) {
    SleepMargin m;
    for (int i = 0; i < 500; ++i) m.Overslept(20);
    const double settled = m.PollUs();
    EXPECT_GE(settled, SleepMargin::kFloorUs);
    EXPECT_LT(settled, 45);
    m.Overslept(200);
    const double raised = m.PollUs();
    EXPECT_GT(raised, settled + 30) << "one late wake-up counts at once";
    m.Overslept(20);
    EXPECT_GT(m.PollUs(), raised - 10) << "one good one hardly";
}

TEST(SleepMarginTest, AStallCountsOnlyUpToTheCapAndIsForgotten) {
    SleepMargin m;
    for (int i = 0; i < 50; ++i) m.Overslept(1e6);
    EXPECT_LE(m.EstimateUs(), SleepMargin::kCapUs);
    EXPECT_GT(m.EstimateUs(), SleepMargin::kCapUs - 1);
    for (int i = 0; i < 400; ++i) m.Overslept(25);
    EXPECT_LT(m.PollUs(), 60);
    m.Overslept(-40);  // an early wake-up is no news
    EXPECT_GE(m.EstimateUs(), 0);
}

TEST(CostEstimateTest, FollowsSteadyCostsAndShrugsOffOneSlowOne) {
    CostEstimate c;
    for (int i = 0; i < 200; ++i) c.Measured(80);
    EXPECT_NEAR(c.Us(), 80, 3);
    c.Measured(200000);
    EXPECT_LT(c.Us(), 90);
    for (int i = 0; i < 300; ++i) c.Measured(3000);  // a slower machine for good
    EXPECT_NEAR(c.Us(), 3000, 100);
}

TEST(CostEstimateTest, SettlesAboveThreeHandOversInFour) {
    CostEstimate c;
    // 100, 200, 300, 400 us in turn, with a preempted one of 20 ms now and then.
    for (int i = 0; i < 2000; ++i) c.Measured(i % 50 == 0 ? 20000 : 100.0 * (1 + i % 4));
    EXPECT_GT(c.Us(), 290);
    EXPECT_LT(c.Us(), 420);
}

TEST(CostEstimateTest, AChosenShareSettlesHigher) {
    // Costs of 1 to 10 ms, evenly: the nine-in-ten point is near 9 ms.
    CostEstimate c(1000, 0.9);
    for (int i = 0; i < 5000; ++i) c.Measured(1000.0 * (1 + (i * 7) % 10));
    EXPECT_GT(c.Us(), 8000);
    EXPECT_LT(c.Us(), 10500);
}

TEST(TurnRoomTest, KeepsRoomForALongTurnBeforeTheDeadline) {
    TurnRoom t;
    // Short turns teach nothing; long ones of about 2 ms set the room kept.
    for (int i = 0; i < 400; ++i) t.Turned(1000.0 * i, i % 20 == 0 ? 2000 : 20);
    EXPECT_GT(t.LongTurnUs(), 1500);
    EXPECT_LT(t.LongTurnUs(), 2300);
    const double now = 400000;
    t.Turned(now, 20);
    EXPECT_NEAR(t.RoomUs(now + 10, 3000), 3000 - t.LongTurnUs() - 100, 1e-9);
    EXPECT_LE(t.RoomUs(now + 10, 1500), 0);  // polled to the deadline
    EXPECT_LE(t.RoomUs(now + 10, -5), -5);   // past the deadline nothing is given
}

TEST(TurnRoomTest, ThePageGetsATurnAtLeastEveryHold) {
    TurnRoom t;
    t.Turned(0, 20);
    // Frames too short for a long turn: held back until the hold is up, then
    // the whole remaining wait may go to the page.
    EXPECT_LE(t.RoomUs(TurnRoom::kMaxHoldUs - 1, 600), 0);
    EXPECT_FALSE(t.Overdue(TurnRoom::kMaxHoldUs - 1));
    EXPECT_EQ(t.RoomUs(TurnRoom::kMaxHoldUs, 600), 600);
    EXPECT_TRUE(t.Overdue(TurnRoom::kMaxHoldUs));
    t.Turned(TurnRoom::kMaxHoldUs + 50, 20);
    EXPECT_LE(t.RoomUs(TurnRoom::kMaxHoldUs + 100, 600), 0);
    EXPECT_FALSE(t.Overdue(TurnRoom::kMaxHoldUs + 100)) << "a turn resets it";
}

TEST(TurnRoomTest, FollowsThePageWhenItsLongTurnsShrink) {
    TurnRoom t;
    for (int i = 0; i < 300; ++i) t.Turned(1000.0 * i, 5000);
    EXPECT_GT(t.LongTurnUs(), 4000);
    for (int i = 300; i < 1500; ++i) t.Turned(1000.0 * i, 400);
    EXPECT_LT(t.LongTurnUs(), 600);
}


// The stepwise present: steps in order, each only where it fits, all of them
// outside a wait, and anything a refresh late.
TEST(StagedPresentTest, StepsComeInOrderAndOnlyWhereTheyFit) {
    StagedPresent p(480, 16);
    EXPECT_FALSE(p.Plan(0, 10000, kPeriod)) << "nothing asked for";
    p.Begin(0);
    ASSERT_TRUE(p.Busy());
    EXPECT_FALSE(p.Plan(10, p.ComposeUs() - 1, kPeriod)) << "no room to compose";
    auto next = p.Plan(10, p.ComposeUs(), kPeriod);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->step, StagedPresent::Step::Compose);
    p.Took(*next, 150);
    EXPECT_FALSE(p.Showing()) << "composed, nothing shown yet";
    // Bands as large as the room holds, never past the last row.
    next = p.Plan(20, p.RowUs() * 100.5, kPeriod);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->step, StagedPresent::Step::Rows);
    EXPECT_EQ(next->rows, 100);
    p.Took(*next, p.RowUs() * 100);
    EXPECT_TRUE(p.Showing());
    EXPECT_EQ(p.Row(), 100);
    EXPECT_FALSE(p.Plan(30, p.RowUs() * 15.5, kPeriod)) << "a band too small to be worth it";
    next = p.Plan(30, p.RowUs() * 1000, kPeriod);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->rows, 380);
    p.Took(*next, p.RowUs() * 380);
    EXPECT_FALSE(p.Busy());
    EXPECT_FALSE(p.Showing());
}

TEST(StagedPresentTest, OutsideAWaitOrARefreshLateEveryStepGoesAhead) {
    StagedPresent p(480, 16);
    p.Begin(1000);
    auto next = p.Plan(1000, 0, kPeriod);
    ASSERT_TRUE(next) << "outside a frame's wait";
    p.Took(*next, 5000);  // a slow one teaches a little only
    EXPECT_FALSE(p.Plan(1100, 1, kPeriod));
    next = p.Plan(1000 + kPeriod, 1, kPeriod);
    ASSERT_TRUE(next) << "a refresh late";
    EXPECT_EQ(next->rows, 480) << "the rest at once";
    // The last band of a picture goes however small it is.
    StagedPresent q(20, 16);
    q.Begin(0);
    q.Took(*q.Plan(0, 0, kPeriod), 100);
    q.Took({StagedPresent::Step::Rows, 12}, 12);
    next = q.Plan(1, q.RowUs() * 8, kPeriod);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->rows, 8);
    // A second Begin while one is under way does not start it over.
    q.Begin(500);
    EXPECT_EQ(q.Row(), 12);
}

// A ride on a made-up clock with presents of `composeUs` plus `rowUs` a row
// (480 rows), started at each display refresh: the pictures shown a second,
// and how much longer than written the frames took in all.
struct StagedRide {
    int shown = 0;
    double lateUs = 0;
};
StagedRide RideStaged(double frameUs, double workUs, double composeUs, double rowUs, double seconds) {
    StagedPresent p(480, 16);
    StagedRide r;
    double now = 0;
    double nextRefresh = kPeriod;
    bool refreshSeen = true;
    while (now < seconds * 1e6) {
        const double start = now;
        now += workUs;
        while (now - start < frameUs) {
            if (now >= nextRefresh) {
                refreshSeen = true;
                nextRefresh += kPeriod;
            }
            if (!p.Busy() && refreshSeen) {
                p.Begin(now);
                refreshSeen = false;
            }
            const double room = frameUs - (now - start) - 50;
            if (const auto next = p.Plan(now, std::max(1.0, room), kPeriod)) {
                const double took = next->step == StagedPresent::Step::Compose ? composeUs : rowUs * next->rows;
                p.Took(*next, took);
                now += took;
                if (!p.Busy()) r.shown += 1;
            }
            now = std::min(now + 10, start + frameUs);  // polling ends the wait on time
        }
        r.lateUs += now - start - frameUs;
    }
    return r;
}

TEST(StagedPresentTest, ShortFramesShowEveryRefreshWithoutRunningLate) {
    // Frames of 625 us with 250 us of work: a whole present (some 770 us)
    // never fits one, its steps fit several.
    for (const double frameUs : {3125.0, 1250.0, 781.25, 625.0}) {
        const StagedRide r = RideStaged(frameUs, 250, 200, 1.2, 2.0);
        EXPECT_GE(r.shown, 2 * 58) << frameUs;
        EXPECT_LT(r.lateUs, 2 * 0.005e6) << frameUs << ": frames held up by presents";
    }
}

TEST(StagedPresentTest, ComposingThatHalfFitsGoesAheadAQuarterRefreshLate) {
    StagedPresent p(480, 16);
    p.Begin(0);
    const double half = p.ComposeUs() / 2;
    EXPECT_FALSE(p.Plan(kPeriod / 4 - 1, half + 1, kPeriod)) << "too soon";
    EXPECT_FALSE(p.Plan(kPeriod / 4, half - 1, kPeriod)) << "too little room";
    EXPECT_TRUE(p.Plan(kPeriod / 4, half, kPeriod));
    // Frames whose waits hold only two thirds of a compose still show at the
    // refresh rate, a little late each time.
    const StagedRide r = RideStaged(625, 375, 300, 1.2, 2.0);
    EXPECT_GE(r.shown, 2 * 58);
    EXPECT_LT(r.lateUs, 2 * 60 * 150.0) << "some 100 us over, once a present";
}

TEST(StagedPresentTest, StepsThatFitNoFrameStillShowEverySecondRefresh) {
    // Composing alone takes more than twice the frames' waits: late, never frozen.
    const StagedRide r = RideStaged(625, 250, 800, 1.2, 2.0);
    EXPECT_GE(r.shown, 2 * 28);
}

} // namespace
} // namespace sdl
