#include "platform/screen_module.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <stdexcept>
#include <vector>

#include "platform/fake_display_driver.h"

namespace platform {
namespace {

// Where the driver stood each time the module let pending events run.
struct PumpPoint {
    int enumCalls;
    size_t changeCalls;
    bool operator==(const PumpPoint&) const = default;
};

void PrintTo(const PumpPoint& p, std::ostream* os) { *os << "{enum " << p.enumCalls << ", change " << p.changeCalls << "}"; }

class RecordingPump final : public EventPump {
public:
    explicit RecordingPump(const FakeDisplayDriver& driver) : driver_(driver) {}
    void Yield(double remainingUs) override {
        ASSERT_EQ(remainingUs, 0.0);
        points.push_back({driver_.enumCalls, driver_.changes.size()});
    }
    std::vector<PumpPoint> points;

private:
    const FakeDisplayDriver& driver_;
};

constexpr uint32_t kAllFields = 0x5C0000;

class ScreenModuleTest : public ::testing::Test {
protected:
    // The rates of the attempts to switch, in order.
    std::vector<uint32_t> AttemptedRates() const {
        std::vector<uint32_t> rates;
        for (const auto& c : driver.ChangesWith(CDS_FULLSCREEN)) rates.push_back(c.mode.dmDisplayFrequency);
        return rates;
    }
    std::vector<uint32_t> ChangeFlags() const {
        std::vector<uint32_t> flags;
        for (const auto& c : driver.changes) flags.push_back(c.flags);
        return flags;
    }
    void OfferGameModes(std::initializer_list<uint32_t> rates) {
        for (uint32_t r : rates) driver.Offer(640, 480, 16, r);
    }

    FakeDisplayDriver driver;
    RecordingPump pump{driver};
    ScreenModule screen{driver, pump};
};

void ExpectMode(const DevMode& m, uint32_t width, uint32_t height, uint32_t bits, uint32_t rate) {
    EXPECT_EQ(m.dmPelsWidth, width);
    EXPECT_EQ(m.dmPelsHeight, height);
    EXPECT_EQ(m.dmBitsPerPel, bits);
    EXPECT_EQ(m.dmDisplayFrequency, rate);
}

TEST_F(ScreenModuleTest, BothRecordsStartZero) {
    for (const DevMode& m : screen.displayModes) {
        EXPECT_EQ(m.dmSize, 0);
        EXPECT_EQ(m.dmFields, 0u);
        ExpectMode(m, 0, 0, 0, 0);
    }
}

// --- Searching for a rate ---

TEST_F(ScreenModuleTest, FindPicksHighestOfferedRateNotAboveCeiling) {
    OfferGameModes({60, 75, 85, 144});
    EXPECT_EQ(screen.FindDisplayFrequency(640, 480, 16, 120), 85);
    EXPECT_EQ(screen.FindDisplayFrequency(640, 480, 16, 144), 144);
    EXPECT_EQ(screen.FindDisplayFrequency(640, 480, 16, 85), 85);
    EXPECT_EQ(screen.FindDisplayFrequency(640, 480, 16, 84), 75);
    EXPECT_EQ(screen.FindDisplayFrequency(640, 480, 16, 59), 0);
    EXPECT_EQ(screen.FindDisplayFrequency(640, 480, 16, -1), 0);
}

TEST_F(ScreenModuleTest, FindIgnoresModesOfAnotherSizeOrDepth) {
    driver.Offer(640, 480, 32, 100);
    driver.Offer(640, 480, 8, 110);
    driver.Offer(640, 400, 16, 100);
    driver.Offer(800, 480, 16, 100);
    driver.Offer(640, 480, 16, 60);
    driver.Offer(640, 480, 24, 119);
    EXPECT_EQ(screen.FindDisplayFrequency(640, 480, 16, 120), 60);
    EXPECT_EQ(screen.FindDisplayFrequency(640, 480, 32, 120), 100);
    EXPECT_EQ(screen.FindDisplayFrequency(640, 480, 15, 120), 0);
}

TEST_F(ScreenModuleTest, FindNeverChoosesRateZero) {
    OfferGameModes({0});
    EXPECT_EQ(screen.FindDisplayFrequency(640, 480, 16, 120), 0);
    OfferGameModes({60, 0});
    EXPECT_EQ(screen.FindDisplayFrequency(640, 480, 16, 120), 60);
}

TEST_F(ScreenModuleTest, FindResultDoesNotDependOnOrderOrRepeats) {
    for (auto rates : {std::vector<uint32_t>{75, 75, 60}, {60, 75, 75}, {75, 60, 75, 72}, {72, 75, 75, 121}}) {
        driver.modes.clear();
        for (uint32_t r : rates) driver.Offer(640, 480, 16, r);
        EXPECT_EQ(screen.FindDisplayFrequency(640, 480, 16, 120), 75) << "offered " << testing::PrintToString(rates);
    }
}

TEST_F(ScreenModuleTest, FindAsksForEveryModeAndLetsEventsRunForEach) {
    driver.Offer(1024, 768, 32, 60);
    OfferGameModes({60, 75});
    EXPECT_EQ(screen.FindDisplayFrequency(640, 480, 16, 120), 75);
    EXPECT_EQ(driver.enumCalls, 4);  // three modes and the call that fails
    EXPECT_EQ(pump.points, (std::vector<PumpPoint>{{1, 0}, {2, 0}, {3, 0}}));
}

TEST_F(ScreenModuleTest, FindWithNoModesAsksOnceAndLetsNoEventsRun) {
    EXPECT_EQ(screen.FindDisplayFrequency(640, 480, 16, 120), 0);
    EXPECT_EQ(driver.enumCalls, 1);
    EXPECT_TRUE(pump.points.empty());
}

// --- Switching with fallback ---

TEST_F(ScreenModuleTest, FirstAttemptUsesHighestRateBelowCeiling) {
    OfferGameModes({60, 75, 85, 144});
    EXPECT_TRUE(screen.SetDisplayMode(640, 480, 16, 120));
    EXPECT_EQ(AttemptedRates(), std::vector<uint32_t>{85});
    const DevMode& asked = screen.displayModes[0];
    ExpectMode(asked, 640, 480, 16, 85);
    EXPECT_EQ(asked.dmSize, 124);
    EXPECT_EQ(asked.dmFields, kAllFields);
    EXPECT_EQ(driver.current, (FakeDisplayDriver::Mode{640, 480, 16, 85}));
    EXPECT_EQ(driver.stored, (FakeDisplayDriver::Mode{640, 480, 16, 85}));
}

TEST_F(ScreenModuleTest, RefusedRateFallsBackToNextLowerOne) {
    OfferGameModes({60, 75, 85, 144});
    driver.Refuse(640, 480, 16, 85);
    EXPECT_TRUE(screen.SetDisplayMode(640, 480, 16, 120));
    EXPECT_EQ(AttemptedRates(), (std::vector<uint32_t>{85, 75}));
    EXPECT_EQ(ChangeFlags(), (std::vector<uint32_t>{CDS_FULLSCREEN, CDS_FULLSCREEN, CDS_UPDATEREGISTRY}));
    EXPECT_EQ(driver.current.rate, 75u);
}

TEST_F(ScreenModuleTest, RefusedRateLowersCeilingToJustBelowIt) {
    OfferGameModes({84, 85});
    driver.Refuse(640, 480, 16, 85);
    EXPECT_TRUE(screen.SetDisplayMode(640, 480, 16, 120));
    EXPECT_EQ(AttemptedRates(), (std::vector<uint32_t>{85, 84}));
}

TEST_F(ScreenModuleTest, EveryRateRefusedEndsWithRateZeroAndFails) {
    OfferGameModes({60, 75, 85, 144});
    for (uint32_t r : {60u, 75u, 85u, 144u, 0u}) driver.Refuse(640, 480, 16, r);
    EXPECT_FALSE(screen.SetDisplayMode(640, 480, 16, 120));
    EXPECT_EQ(AttemptedRates(), (std::vector<uint32_t>{85, 75, 60, 0}));
    EXPECT_TRUE(driver.ChangesWith(CDS_UPDATEREGISTRY).empty());
    ExpectMode(screen.displayModes[0], 640, 480, 16, 0);
}

TEST_F(ScreenModuleTest, RateZeroAcceptedAfterEveryOfferedRateRefused) {
    OfferGameModes({60});
    driver.Refuse(640, 480, 16, 60);
    EXPECT_TRUE(screen.SetDisplayMode(640, 480, 16, 120));
    EXPECT_EQ(AttemptedRates(), (std::vector<uint32_t>{60, 0}));
}

TEST_F(ScreenModuleTest, WithoutTheModeOneAttemptAtRateZero) {
    driver.Offer(640, 480, 32, 60);
    driver.Offer(640, 480, 8, 60);
    driver.Offer(1024, 768, 16, 60);
    EXPECT_TRUE(screen.SetDisplayMode(640, 480, 16, 120));
    EXPECT_EQ(AttemptedRates(), std::vector<uint32_t>{0});

    driver.changes.clear();
    driver.Refuse(640, 480, 16, 0);
    EXPECT_FALSE(screen.SetDisplayMode(640, 480, 16, 120));
    EXPECT_EQ(AttemptedRates(), std::vector<uint32_t>{0});
}

TEST_F(ScreenModuleTest, ModeOfOtherDepthIsNeverAttempted) {
    driver.Offer(640, 480, 32, 100);
    driver.Offer(640, 480, 24, 90);
    OfferGameModes({60});
    driver.Refuse(640, 480, 16, 60);
    EXPECT_TRUE(screen.SetDisplayMode(640, 480, 16, 120));
    EXPECT_EQ(AttemptedRates(), (std::vector<uint32_t>{60, 0}));
    for (const auto& c : driver.changes) EXPECT_EQ(c.mode.dmBitsPerPel, 16u);
}

TEST_F(ScreenModuleTest, StoredSettingOutcomeDoesNotMatter) {
    OfferGameModes({60, 75});
    driver.registryResult = -1;
    EXPECT_TRUE(screen.SetDisplayMode(640, 480, 16, 120));
    EXPECT_EQ(AttemptedRates(), std::vector<uint32_t>{75});
}

TEST_F(ScreenModuleTest, SwitchLetsEventsRunDuringSearchBetweenChangesAndAfterEachAttempt) {
    OfferGameModes({60});
    driver.Refuse(640, 480, 16, 60);
    screen.SetDisplayMode(640, 480, 16, 120);
    // Attempt at 60: one mode enumerated, refused change, events after the attempt.
    // Attempt at 0: one mode enumerated, both change calls, events after each and after the attempt.
    EXPECT_EQ(pump.points, (std::vector<PumpPoint>{{1, 0}, {2, 1}, {3, 1}, {4, 2}, {4, 3}, {4, 3}}));
}

// --- Applying one record ---

TEST_F(ScreenModuleTest, AcceptedApplyChangesForProgramThenStoresSetting) {
    screen.displayModes[0].dmPelsWidth = 800;
    screen.displayModes[0].dmPelsHeight = 600;
    screen.displayModes[0].dmBitsPerPel = 16;
    screen.displayModes[0].dmDisplayFrequency = 72;
    EXPECT_TRUE(screen.ApplyDisplayMode(0));
    ASSERT_EQ(ChangeFlags(), (std::vector<uint32_t>{CDS_FULLSCREEN, CDS_UPDATEREGISTRY}));
    for (const auto& c : driver.changes) {
        ExpectMode(c.mode, 800, 600, 16, 72);
        EXPECT_EQ(c.mode.dmSize, 124);
        EXPECT_EQ(c.mode.dmFields, kAllFields);
    }
    EXPECT_EQ(pump.points, (std::vector<PumpPoint>{{0, 1}, {0, 2}}));
}

TEST_F(ScreenModuleTest, RefusedApplyMakesOneCallAndLetsNoEventsRun) {
    screen.displayModes[1].dmPelsWidth = 800;
    driver.Refuse(800, 0, 0, 0);
    EXPECT_FALSE(screen.ApplyDisplayMode(1));
    EXPECT_EQ(ChangeFlags(), std::vector<uint32_t>{CDS_FULLSCREEN});
    EXPECT_TRUE(pump.points.empty());
    EXPECT_EQ(screen.displayModes[1].dmSize, 124);
    EXPECT_EQ(screen.displayModes[1].dmFields, kAllFields);
}

TEST_F(ScreenModuleTest, ApplyRejectsIndexOutsideTheTwoRecords) {
    EXPECT_THROW(screen.ApplyDisplayMode(2), std::out_of_range);
    EXPECT_THROW(screen.ApplyDisplayMode(-1), std::out_of_range);
    EXPECT_TRUE(driver.changes.empty());
    EXPECT_EQ(screen.displayModes[0].dmSize, 0);
    EXPECT_EQ(screen.displayModes[1].dmSize, 0);
}

// --- Remembering and restoring the user's mode ---

TEST_F(ScreenModuleTest, RememberReadsCurrentModeThroughOneScreenContext) {
    driver.current = {1024, 768, 32, 60};
    screen.RememberDisplayMode();
    ExpectMode(screen.displayModes[1], 1024, 768, 32, 60);
    ExpectMode(screen.displayModes[0], 0, 0, 0, 0);
    EXPECT_EQ(driver.getDCCalls, 1);
    EXPECT_EQ(driver.releaseDCCalls, 1);
    EXPECT_EQ(driver.foreignDCReleases, 0);
    EXPECT_TRUE(driver.changes.empty());
}

TEST_F(ScreenModuleTest, RestoreRequestsExactlyTheRememberedMode) {
    driver.current = {1024, 768, 32, 60};
    screen.RememberDisplayMode();
    driver.current = {640, 480, 16, 85};
    screen.RestoreDisplayMode();
    ASSERT_EQ(ChangeFlags(), (std::vector<uint32_t>{CDS_FULLSCREEN, CDS_UPDATEREGISTRY}));
    for (const auto& c : driver.changes) {
        ExpectMode(c.mode, 1024, 768, 32, 60);
        EXPECT_EQ(c.mode.dmFields, kAllFields);
        EXPECT_EQ(c.mode.dmSize, 124);
    }
    EXPECT_EQ(driver.enumCalls, 0);  // no search for a rate
}

TEST_F(ScreenModuleTest, RefusedRestoreIsNotRetried) {
    driver.current = {1024, 768, 32, 60};
    driver.Offer(1024, 768, 32, 75);
    screen.RememberDisplayMode();
    driver.Refuse(1024, 768, 32, 60);
    screen.RestoreDisplayMode();
    EXPECT_EQ(AttemptedRates(), std::vector<uint32_t>{60});
    EXPECT_EQ(driver.enumCalls, 0);
}

TEST_F(ScreenModuleTest, StartUpAndQuitLeaveUserModeAndSettingAsFound) {
    driver.current = {1920, 1080, 32, 144};
    driver.stored = driver.current;
    driver.Offer(1920, 1080, 32, 144);
    OfferGameModes({60, 75});
    screen.RememberDisplayMode();
    EXPECT_TRUE(screen.SetDisplayMode(640, 480, 16, 120));
    EXPECT_EQ(driver.current, (FakeDisplayDriver::Mode{640, 480, 16, 75}));
    screen.RestoreDisplayMode();
    EXPECT_EQ(driver.current, (FakeDisplayDriver::Mode{1920, 1080, 32, 144}));
    EXPECT_EQ(driver.stored, driver.current);
}

} // namespace
} // namespace platform
