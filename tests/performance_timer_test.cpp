#include "platform/performance_timer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/counter.h"

namespace platform {
namespace {

// Advances by the next step of a repeating pattern after every read, so that
// back-to-back pairs of reads can be made to differ by chosen amounts.
class PatternCounter final : public Counter {
public:
    explicit PatternCounter(std::vector<int64_t> steps) : steps_(std::move(steps)) {}
    bool QueryFrequency(int64_t* out) override {
        *out = 1000000;
        return true;
    }
    bool QueryCounter(int64_t* out) override {
        *out = now_;
        now_ += steps_[reads % steps_.size()];
        ++reads;
        return true;
    }
    size_t reads = 0;

private:
    std::vector<int64_t> steps_;
    int64_t now_ = 1;
};

TEST(PerformanceTimerTest, ElapsedIsZeroUntilStoppedWhateverTheAccuracy) {
    FakeCounter counter;
    counter.ticksPerRead = 7;
    PerformanceTimer timer(counter);
    for (int32_t accuracy : {1, 1000, 1000000, 0, -5}) EXPECT_EQ(timer.TimeElapsed(accuracy), 0.0) << accuracy;

    timer.StartTimer();
    counter.AdvanceMicroseconds(500);
    for (int32_t accuracy : {1, 1000, 1000000, 0, -5}) EXPECT_EQ(timer.TimeElapsed(accuracy), 0.0) << accuracy;

    timer.StopTimer();
    ASSERT_NE(timer.TimeElapsed(1000000), 0.0);
    timer.StartTimer();
    EXPECT_EQ(timer.TimeElapsed(1000000), 0.0);  // a new start forgets the old stop
}

TEST(PerformanceTimerTest, StopWithoutStartMeasuresFromCounterZero) {
    FakeCounter counter(1000000);
    counter.ticksPerRead = 5;
    PerformanceTimer timer(counter);
    counter.now = 1005;
    timer.StopTimer();
    EXPECT_DOUBLE_EQ(timer.TimeElapsed(1000000), 1000.0);
}

TEST(PerformanceTimerTest, IntervalLessOverheadInCallersUnit) {
    FakeCounter counter(1000000);
    counter.ticksPerRead = 5;
    PerformanceTimer timer(counter);
    ASSERT_EQ(timer.Overhead(), 5);
    ASSERT_EQ(timer.Frequency(), 1000000);

    timer.StartTimer();
    counter.AdvanceMicroseconds(900);  // with the start read's own 5 ticks: stop is 905 after start
    timer.StopTimer();
    EXPECT_DOUBLE_EQ(timer.TimeElapsed(1000000), 900.0);
    EXPECT_DOUBLE_EQ(timer.TimeElapsed(1000), 0.9);
    EXPECT_DOUBLE_EQ(timer.TimeElapsed(1), 0.0009);
    EXPECT_EQ(timer.TimeElapsed(0), 0.0);
}

TEST(PerformanceTimerTest, IntervalShorterThanOverheadIsNegative) {
    FakeCounter counter(1000000);
    counter.ticksPerRead = 5;
    PerformanceTimer timer(counter);
    counter.ticksPerRead = 2;
    timer.StartTimer();
    timer.StopTimer();
    EXPECT_DOUBLE_EQ(timer.TimeElapsed(1000000), -3.0);
    EXPECT_EQ(timer.TimeElapsed(0), 0.0);
}

TEST(PerformanceTimerTest, TicksAreSubtractedExactlyOnLargeReadings) {
    FakeCounter counter(1000000000);
    PerformanceTimer timer(counter);
    counter.now = (int64_t{1} << 60) + 3;  // doubles this large are 256 ticks apart
    timer.StartTimer();
    counter.now += 905;
    timer.StopTimer();
    EXPECT_DOUBLE_EQ(timer.TimeElapsed(1000000000), 905.0);
}

TEST(PerformanceTimerTest, RepeatedStopsMeasureFromTheSameStart) {
    FakeCounter counter(1000000);
    counter.ticksPerRead = 5;
    PerformanceTimer timer(counter);
    timer.StartTimer();
    double previous = timer.TimeElapsed(1000000);
    int64_t expectedTicks = 0;
    for (double step : {0.0, 10.0, 0.0, 250.0, 1.0}) {
        counter.AdvanceMicroseconds(step);
        timer.StopTimer();
        expectedTicks += static_cast<int64_t>(step) + 5;
        const double elapsed = timer.TimeElapsed(1000000);
        EXPECT_GE(elapsed, previous);
        EXPECT_DOUBLE_EQ(elapsed, static_cast<double>(expectedTicks - 5));
        previous = elapsed;
    }
}

TEST(PerformanceTimerTest, SupportedAsksCounterAndLeavesMeasurementAlone) {
    FakeCounter counter(1000000);
    counter.ticksPerRead = 1;
    PerformanceTimer timer(counter);
    timer.StartTimer();
    counter.AdvanceMicroseconds(100);
    timer.StopTimer();
    const double elapsed = timer.TimeElapsed(1000000);
    EXPECT_TRUE(timer.Supported());
    EXPECT_EQ(timer.TimeElapsed(1000000), elapsed);
    counter.counterWorks = false;
    EXPECT_FALSE(timer.Supported());
    counter.counterWorks = true;
    EXPECT_TRUE(timer.Supported());  // asked anew each time
}

// --- Calibration ---

TEST(PerformanceTimerTest, CalibrationTakesExactly2000Reads) {
    PatternCounter counter({3});
    PerformanceTimer timer(counter);
    EXPECT_EQ(counter.reads, 2000u);
    EXPECT_EQ(timer.Overhead(), 3);
}

TEST(PerformanceTimerTest, OverheadIsMeanPairCostRoundedHalfToEven) {
    struct Case {
        std::vector<int64_t> steps;  // in-pair step, then the gap to the next pair
        int64_t overhead;
    };
    const std::vector<Case> cases = {
        {{2, 40, 3, 40}, 2},                             // 2.5
        {{3, 40, 4, 40}, 4},                             // 3.5
        {{0, 9, 1, 9}, 0},                               // 0.5
        {{3, 1, 3, 1, 3, 1, 2, 1, 2, 1}, 3},             // 2.6
        {{2, 1, 2, 1, 2, 1, 3, 1, 3, 1}, 2},             // 2.4
        {{100, 0}, 100},
    };
    for (const Case& c : cases) {
        PatternCounter counter(c.steps);
        PerformanceTimer timer(counter);
        EXPECT_EQ(timer.Overhead(), c.overhead) << testing::PrintToString(c.steps);
    }
}

TEST(PerformanceTimerTest, FailedFrequencyQueryMeansTenKilohertzAndNoCalibration) {
    FakeCounter counter(1000000);
    counter.frequencyWorks = false;
    counter.ticksPerRead = 5;
    PerformanceTimer timer(counter);
    EXPECT_EQ(timer.Frequency(), 10000);
    EXPECT_EQ(timer.Overhead(), 0);
    EXPECT_EQ(counter.now, 0);  // not one counter read
    EXPECT_EQ(timer.TimeElapsed(1000), 0.0);

    timer.StartTimer();
    counter.now += 95;
    timer.StopTimer();  // 100 ticks after the start, 10 ms at 10 kHz
    EXPECT_DOUBLE_EQ(timer.TimeElapsed(1000), 10.0);
}

TEST(PerformanceTimerTest, FailingCounterAlwaysGivesZero) {
    for (bool frequencyWorks : {true, false}) {
        FakeCounter counter(1000000);
        counter.frequencyWorks = frequencyWorks;
        counter.counterWorks = false;
        counter.now = 12345;
        PerformanceTimer timer(counter);
        EXPECT_EQ(timer.Overhead(), 0);
        EXPECT_FALSE(timer.Supported());
        for (int i = 0; i < 3; ++i) {
            timer.StartTimer();
            counter.now += 1000;
            timer.StopTimer();
            EXPECT_EQ(timer.TimeElapsed(1000000), 0.0);
            EXPECT_EQ(timer.TimeElapsed(1), 0.0);
        }
    }
}

} // namespace
} // namespace platform
