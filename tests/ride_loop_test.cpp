#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game_fixture.h"

using testing_support::GameTest;

namespace {

constexpr int kQ = 81;

using testing_support::Solid;

// ---------------------------------------------------------------------------
// The start of a ride.

constexpr uint32_t kStraight = 0x505050;
constexpr uint32_t kScenery[6] = {0x006000, 0x007000, 0x800000, 0x606060, 0x0000A0, 0x704000};

class RideStartTest : public GameTest {
protected:
    RideStartTest() : GameTest(true) {}
    void SetUp() override {
        GameTest::SetUp();
        f->sravno.SetPicture(Solid(224, 32, kStraight));
        for (int p = 0; p < 6; ++p) f->Picture3[p]->SetPicture(Solid(32, 32, kScenery[p]));
    }
    uint32_t Cell(int x, int y) const { return f->Picturex[0]->ImageIfAny()->At(x + 16, y + 16); }
};

TEST_F(RideStartTest, StartTurnsTheIntroIntoTheRide) {
    f->steerTick = 3;
    f->Picturex[1]->Image().Fill(0x123456);
    Start();
    EXPECT_FALSE(f->Picture4.Visible());
    EXPECT_FALSE(f->Skill.Enabled());
    EXPECT_DOUBLE_EQ(f->Picturex[0]->Top(), 0);
    EXPECT_DOUBLE_EQ(f->Picturex[1]->Top(), 480);
    EXPECT_TRUE(game.window.KeyPreview);
    EXPECT_TRUE(f->autic.Shown());
    EXPECT_FALSE(f->auticl.Visible());
    EXPECT_FALSE(f->auticd.Visible());
    EXPECT_TRUE(f->Picture7.Shown());
    EXPECT_TRUE(f->Timer2.Enabled());
    EXPECT_EQ(f->gameRunning, game::kTrue);
    EXPECT_EQ(f->steerTick, 0);
    EXPECT_FALSE(game.window.ClickElement(f->Command1));  // gone with the intro panel
    // The car stands and nothing of the game's state is drawn up yet.
    EXPECT_EQ(f->speed, 1);
    EXPECT_EQ(f->roadScore, 0);
    EXPECT_EQ(f->genRoadColumn, 7);
    EXPECT_EQ(f->genRoadDirection, 0);
    EXPECT_EQ(f->genRowPhase, 0);
    for (int g = 0; g < game::kGridRows; ++g) {
        EXPECT_EQ(f->roadColumn[g], 7);
        for (int k = 0; k < 4; ++k) EXPECT_EQ(f->obstacleGrid[k][g], 0);
    }
    // Screen 1 waits below the playfield, not drawn; screen 0 fills the playfield.
    EXPECT_EQ(f->Picturex[1]->Image().At(320, 240), 0x123456u);
    const ui::Surface& playfield = f->Picture1.Image();
    const ui::Surface& screen0 = f->Picturex[0]->Image();
    int differ = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) differ += playfield.At(x, y) != screen0.At(x, y);
    EXPECT_EQ(differ, 0);
}

TEST_F(RideStartTest, FirstScreenIsAStraightRoadWithoutObstacles) {
    for (int I = 1; I <= 15; ++I) draws.Push(0, 4);
    const std::vector<uint32_t> obstacleColours = {0xE0C000, 0xE00000, 0xC0C0C0, 0x0000E0};
    for (int k = 0; k < 4; ++k) f->ometalo[k]->SetPicture(Solid(32, 32, obstacleColours[static_cast<size_t>(k)]));
    Start();
    EXPECT_TRUE(draws.draws.empty());
    const ui::Surface& s = f->Picturex[0]->Image();
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const bool road = x >= 192 && x < 416;
            ASSERT_EQ(s.At(x, y), road ? kStraight : f->Picturex[0]->backColor) << x << "," << y;
        }
    }
}

TEST_F(RideStartTest, SceneryDrawsInOrderAndNeverSharesACell) {
    // Row 1: two tiles, both drawn into column 19: the second moves on to 0.
    draws.Push(2, 4), draws.Push(1, 2), draws.Push(3, 6), draws.Push(19, 20), draws.Push(5, 6), draws.Push(19, 20);
    // Row 2: one tile on the road, hidden by it.
    draws.Push(3, 4), draws.Push(0, 2), draws.Push(1, 6), draws.Push(8, 20);
    // Row 3: none. Row 4: one tile in column 2.
    draws.Push(1, 4);
    draws.Push(2, 4), draws.Push(0, 2), draws.Push(4, 6), draws.Push(2, 20);
    for (int I = 5; I <= 15; ++I) draws.Push(0, 4);
    Start();
    EXPECT_TRUE(draws.draws.empty());

    EXPECT_EQ(Cell(608, 448), kScenery[3]);
    EXPECT_EQ(Cell(0, 448), kScenery[5]);
    EXPECT_EQ(Cell(256, 416), kStraight);
    EXPECT_EQ(Cell(64, 352), kScenery[4]);
    int sceneryPixels = 0;
    for (uint32_t px : f->Picturex[0]->Image().Pixels())
        sceneryPixels += std::find(std::begin(kScenery), std::end(kScenery), px) != std::end(kScenery);
    EXPECT_EQ(sceneryPixels, 3 * 32 * 32);
    // The scratch holds the last row that had scenery.
    for (int c = 0; c < 20; ++c) EXPECT_EQ(f->sceneryTaken[c], c == 2 ? 1 : 0) << c;
}

TEST_F(RideStartTest, TwoTilesInOneRowTakeTheNextFreeColumn) {
    draws.Push(3, 4), draws.Push(1, 2), draws.Push(0, 6), draws.Push(4, 20), draws.Push(2, 6), draws.Push(4, 20);
    for (int I = 2; I <= 15; ++I) draws.Push(0, 4);
    Start();
    EXPECT_EQ(Cell(128, 448), kScenery[0]);
    EXPECT_EQ(Cell(160, 448), kScenery[2]);
    EXPECT_EQ(f->sceneryTaken[4], 1);
    EXPECT_EQ(f->sceneryTaken[5], 1);
}

// ---------------------------------------------------------------------------
// The game loop, on the virtual clock.

using testing_support::Script;

class RideLoopTest : public ::testing::Test {
protected:
    RideLoopTest() : game(dir.path() / "Trakmor_B.spd"), script(game) {
        draws.fallback = 0.4;  // a bare straight road without obstacles
        game.rng = &draws;
    }
    void SetUp() override {
        game.Load();
        f = game.form.get();
    }
    // Start, then stand in the middle of the first frame (the loop begins 50 ms
    // after Start, and a standing frame lasts 50 ms).
    Script& StartRide() {
        return script.Do([this] { EXPECT_TRUE(game.window.ClickElement(f->Command1)); }).Wait(75000);
    }
    void Key(int code) { game.window.OnKeyDown(code); }
    // Pixels scrolled, round the ring of 30 rows.
    int Scrolled() const { return f->carGridRow * 32 + f->scrollPixels; }
    static int Since(int later, int earlier) { return ((later - earlier) % 960 + 960) % 960; }
    // Stands just after the next pass of a moving car.
    Script& NextPass(double pollUs = 500) {
        auto base = std::make_shared<int>();
        script.Do([this, base] { *base = Scrolled(); });
        return script.Until([this, base] { return Scrolled() != *base; }, pollUs);
    }
    double Now() const { return game.NowUs(); }
    // Counts the passes of a moving car during one virtual second.
    Script& CountPasses(int* passes) {
        auto last = std::make_shared<int>();
        auto until = std::make_shared<double>();
        NextPass(100).Do([this, passes, last, until] {
            *passes = 0;
            *last = Scrolled();
            *until = Now() + 1e6;
        });
        return script.Until(
            [this, passes, last, until] {
                *passes += Since(Scrolled(), *last);
                *last = Scrolled();
                return Now() >= *until;
            },
            250);
    }

    testing_support::TempDir dir;
    testing_support::ScriptedRandom draws;
    headless::HeadlessGame game;
    Script script;
    game::Form1* f = nullptr;
};

TEST_F(RideLoopTest, LoopBeginsFiftyMillisecondsAfterStartWithScreenOne) {
    script.Do([this] { EXPECT_TRUE(game.window.ClickElement(f->Command1)); })
        .Wait(49500)
        .Do([this] {
            EXPECT_EQ(f->roadScore, 0);
            EXPECT_DOUBLE_EQ(f->Picturex[1]->Top(), 480);
            EXPECT_TRUE(f->Timer2.Enabled());
        })
        .Wait(1000)
        .Do([this] {
            EXPECT_EQ(f->roadScore, 1);
            EXPECT_DOUBLE_EQ(f->Picturex[1]->Top(), -480);
            EXPECT_DOUBLE_EQ(f->Picturex[0]->Top(), 0);
            EXPECT_FALSE(f->Timer2.Enabled());
        });
    script.Play();
}

TEST_F(RideLoopTest, StandingCarNeitherScrollsNorDrawsButSteersEveryFrame) {
    StartRide()
        .Do([this] {
            f->Picture1.Image().Row(5)[5] = 0xABCDEF;
            // L held and moving right: every steering step moves the car 2 pixels.
            f->carX = 290;
            f->steerKeys = 2;
            f->steerDirection = 1;
        })
        .Wait(500000)
        .Do([this] {
            EXPECT_EQ(f->carX, 290 + 10 * 2);
            EXPECT_DOUBLE_EQ(f->Picturex[0]->Top(), 0);
            EXPECT_DOUBLE_EQ(f->Picturex[1]->Top(), -480);
            EXPECT_EQ(f->scrollPixels, 0);
            EXPECT_EQ(f->carGridRow, 1);
            EXPECT_EQ(f->roadScore, 1);
            EXPECT_EQ(f->steerTick, 0);
            EXPECT_EQ(f->Picture1.Image().Row(5)[5], 0xABCDEFu);
        });
    script.Play();
}

TEST_F(RideLoopTest, OneScreenInFirstGearTakesTwelveSeconds) {
    f->Skill.SetListIndex(0);  // Easy: gear 1 is allowed
    double tA = 0, tB = 0;
    int sA = 0;
    StartRide().Do([this] {
        Key(kQ);
        EXPECT_EQ(f->speed, 2);
    });
    NextPass(1000).Do([&] {
        tA = Now();
        sA = Scrolled();
    });
    script.Until([&] { return Since(Scrolled(), sA) >= 480; }, 1000, 20e6).Do([&] { tB = Now(); });
    script.Play();
    EXPECT_GE(tB - tA, 12e6);
    EXPECT_LE(tB - tA, 12e6 + 1000);
}

TEST_F(RideLoopTest, RisenLowestGearLiftsAMovingCarAtTheNextPass) {
    StartRide().Do([this] {
        Key(kQ);
        ASSERT_EQ(f->speed, 4);
        // The next screen to be built is the 50th, and it is two pixels away.
        f->roadScore = 49;
        f->Picturex[0]->SetTop(478);
        f->Picturex[1]->SetTop(-2);
    });
    script.Until([this] { return f->minSpeed == 8; }, 500)
        .Do([this] {
            EXPECT_EQ(f->roadScore, 50);
            EXPECT_EQ(f->speed, 4);
            f->Label6.SetCaption("unchanged");
        });
    NextPass().Do([this] {
        EXPECT_EQ(f->speed, 8);
        EXPECT_EQ(f->Label6.Caption(), "  GEAR: 3/4   DAMAGE: 0%");
    });
    script.Play();
}

TEST_F(RideLoopTest, StandingCarIsNotLiftedByTheLowestGear) {
    StartRide()
        .Do([this] {
            f->minSpeed = 8;
            f->Label6.SetCaption("unchanged");
        })
        .Wait(200000)
        .Do([this] {
            EXPECT_EQ(f->speed, 1);
            EXPECT_EQ(f->Label6.Caption(), "unchanged");
        });
    script.Play();
}

TEST_F(RideLoopTest, GridRowAdvancesEveryThirtyTwoPixelsRoundTheRing) {
    StartRide().Do([this] { Key(kQ); });
    NextPass().Do([this] {
        f->carGridRow = 5;
        f->scrollPixels = 30;
    });
    NextPass().Do([this] {
        EXPECT_EQ(f->scrollPixels, 31);
        EXPECT_EQ(f->carGridRow, 5);
    });
    NextPass().Do([this] {
        EXPECT_EQ(f->scrollPixels, 0);
        EXPECT_EQ(f->carGridRow, 6);
        f->carGridRow = 29;
        f->scrollPixels = 31;
    });
    NextPass().Do([this] {
        EXPECT_EQ(f->scrollPixels, 0);
        EXPECT_EQ(f->carGridRow, 0);
    });
    script.Play();
}

TEST_F(RideLoopTest, CollisionsSeeTheRowOfTheFramesOwnScroll) {
    StartRide().Do([this] { Key(kQ); });  // speed 4: a steering step every 3 frames
    NextPass().Do([this] {
        f->carGridRow = 1;
        f->scrollPixels = 31;
        f->steerTick = 2;  // wraps to 0 at the next pass
        // Only reached once the car is in row 2 and row 3 lies ahead.
        f->obstacleGrid[game::kBag][3] = 10;
    });
    // The first look comes inside the bag's cue; the bag counts after it.
    NextPass().Wait(1000).Do([this] {
        EXPECT_EQ(f->carGridRow, 2);
        EXPECT_EQ(f->obstacleGrid[game::kBag][3], 0);
        EXPECT_EQ(f->bagCount, 1);
    });
    script.Play();
}

TEST_F(RideLoopTest, StandingCarGlidesOntoTheGridAndStops) {
    std::vector<int> seen;
    StartRide().Do([this] {
        f->carX = 300;
        f->steerDirection = 1;
        f->steerKeys = 0;
    });
    for (int i = 0; i < 14; ++i) script.Wait(50000).Do([&] { seen.push_back(f->carX); });
    script.Play();
    EXPECT_EQ(seen, (std::vector<int>{302, 304, 306, 308, 310, 312, 314, 316, 318, 320, 320, 320, 320, 320}));
    EXPECT_EQ(f->steerDirection, 0);
}

TEST_F(RideLoopTest, KeyReleasedDuringTheSteeringStepCountsFromTheNextPass) {
    // Standing frames fall on 50, 100, 150... ms after Start. The step that
    // releases L is due at the pass of 100 ms, where the car runs over a bag:
    // it runs inside the bag's cue.
    StartRide()
        .Do([this] {
            f->carX = 318;
            f->steerKeys = 2;
            f->steerDirection = 1;
            f->obstacleGrid[game::kBag][1] = 11;
        })
        .Wait(25000)
        .Do([this] {
            EXPECT_EQ(f->obstacleGrid[game::kBag][1], 0);
            EXPECT_EQ(f->bagCount, 0);  // inside the cue
            game.window.OnKeyUp(76);
        })
        .Wait(25000)
        .Do([this] {
            // The key counted as held for this pass: the car goes on sideways.
            EXPECT_EQ(f->carX, 320);
            EXPECT_EQ(f->steerKeys, 0);
            EXPECT_EQ(f->steerDirection, 1);
        })
        .Wait(50000)
        .Do([this] { EXPECT_EQ(f->carX, 322); });
    script.Play();
}

TEST_F(RideLoopTest, MovingCarSteersEveryGearPlusOneFrames) {
    for (int presses : {1, 2, 3}) {  // speed 4, 8, 16: gears 2, 3, 4
        headless::HeadlessGame g(dir.path() / "Trakmor_B.spd");
        testing_support::ScriptedRandom straight;
        straight.fallback = 0.4;
        g.rng = &straight;
        g.Load();
        game::Form1& form = *g.form;
        Script s(g);
        std::vector<int> steps;  // 1 where a pass moved the car
        auto base = std::make_shared<int>();
        auto lastX = std::make_shared<int>(300);
        s.Do([&] { EXPECT_TRUE(g.window.ClickElement(form.Command1)); }).Wait(75000).Do([&] {
            for (int i = 0; i < presses; ++i) g.window.OnKeyDown(kQ);
            form.carX = 300;
            form.steerDirection = 1;
            *base = form.carGridRow * 32 + form.scrollPixels;
        });
        for (int i = 0; i < 60; ++i) {
            s.Until([&] { return form.carGridRow * 32 + form.scrollPixels != *base; }, 250).Do([&] {
                *base = form.carGridRow * 32 + form.scrollPixels;
                steps.push_back(form.carX != *lastX);
                *lastX = form.carX;
            });
        }
        s.Play();
        const int every = presses + 2;
        // Ten steps of 2 pixels reach 320; after that the car stands still sideways.
        std::vector<int> at;
        for (size_t i = 0; i < steps.size(); ++i)
            if (steps[i]) at.push_back(static_cast<int>(i));
        ASSERT_EQ(at.size(), 10u) << "speed " << form.speed;
        for (size_t i = 1; i < at.size(); ++i) EXPECT_EQ(at[i] - at[i - 1], every) << "speed " << form.speed;
        EXPECT_EQ(form.carX, 320);
        EXPECT_EQ(form.steerDirection, 0);
    }
}

TEST_F(RideLoopTest, RideEndsAtTheNextPassBeforeAnyDrawing) {
    int scrolledAtStop = 0;
    double topAtStop = 0;
    StartRide().Do([this] { Key(kQ); });
    NextPass()
        .Wait(1000)
        .Do([&] {
            f->gameRunning = game::kFalse;
            f->carX = 300;
            f->Picture1.Image().Row(5)[5] = 0xABCDEF;
            scrolledAtStop = Scrolled();
            topAtStop = f->Picturex[0]->Top();
        })
        .Wait(2000)
        .Do([this] {
            // Still waiting out the frame.
            EXPECT_EQ(f->carXLatest, 300);
            EXPECT_GT(f->frameTimer->TimeElapsed(1000000), 0);
        })
        .Wait(30000)
        .Do([&] {
            EXPECT_EQ(Scrolled(), scrolledAtStop);
            EXPECT_DOUBLE_EQ(f->Picturex[0]->Top(), topAtStop);
            EXPECT_EQ(f->Picture1.Image().Row(5)[5], 0xABCDEFu);
            EXPECT_EQ(f->roadScore, 1);
            // The last pass started the frame timer and went no further.
            EXPECT_EQ(f->frameTimer->TimeElapsed(1000000), 0);
            EXPECT_FALSE(f->Timer2.Enabled());
            // Nothing runs the loop any more.
            f->gameRunning = game::kTrue;
        })
        .Wait(100000)
        .Do([&] { EXPECT_DOUBLE_EQ(f->Picturex[0]->Top(), topAtStop); });
    script.Play();
}

TEST_F(RideLoopTest, ScreensStayOneScreenApart) {
    int bad = 0, polls = 0;
    StartRide().Do([this] {
        Key(kQ);
        Key(kQ);
        Key(kQ);
        ASSERT_EQ(f->speed, 16);
    });
    script.Until(
        [&] {
            ++polls;
            const double t0 = f->Picturex[0]->Top(), t1 = f->Picturex[1]->Top();
            const double lower = std::max(t0, t1);
            if (std::abs(t0 - t1) != 480 || lower < 0 || lower > 480) {
                if (bad++ < 5) ADD_FAILURE() << "screens at " << t0 << " and " << t1;
            }
            return f->roadScore >= 4;
        },
        700, 10e6);
    script.Play();
    EXPECT_EQ(bad, 0);
    EXPECT_GT(polls, 1000);
}

class FrameTimeTest : public RideLoopTest {};

TEST_F(RideLoopTest, RideStartedFromInsideTheLoopRunsOneLoopAtATime) {
    int passes = 0;
    double top = 0;
    StartRide().Do([this] { Key(kQ); }).Wait(5000).Do([this] {
        Key(27);
        EXPECT_TRUE(game.window.ClickElement(f->Command3));
        EXPECT_TRUE(game.window.ClickElement(f->Command1));
    });
    // The second ride's loop begins inside the wait of the first.
    script.Wait(51000).Do([this] {
        EXPECT_EQ(f->roadScore, 1);
        EXPECT_FALSE(f->Timer2.Enabled());
        Key(kQ);
    });
    CountPasses(&passes).Do([&] {
        f->damage = 100;
        f->ShowStatus();
    });
    script.Wait(100000).Do([&] { top = f->Picturex[0]->Top(); }).Wait(200000).Do([&] {
        EXPECT_DOUBLE_EQ(f->Picturex[0]->Top(), top);
        EXPECT_EQ(f->frameTimer->TimeElapsed(1000000), 0);
    });
    script.Play();
    // Speed 4 scrolls 80 pixels a second: only one loop moves the road.
    EXPECT_NEAR(passes, 80, 1);
}

TEST_F(FrameTimeTest, FrameTimeFollowsSpeedAndSpeedSetting) {
    struct Case {
        int16_t speed;
        int spinner;  // speed setting 501 - spinner
    };
    const std::vector<Case> cases = {{2, 401}, {4, 401}, {16, 401}, {4, 250}, {16, 1}, {8, 451}, {16, 500}};
    std::vector<int> passes(cases.size());
    StartRide().Do([this] {
        Key(kQ);
        f->minSpeed = 2;
    });
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case c = cases[i];
        script.Do([this, c] {
            f->speed = c.speed;
            f->VScrollbar1.SetValue(c.spinner);
        });
        CountPasses(&passes[i]);
    }
    script.Play();
    for (size_t i = 0; i < cases.size(); ++i) {
        const double frameUs = 50000.0 / (cases[i].speed * (501 - cases[i].spinner) / 100.0);
        EXPECT_NEAR(passes[i], 1e6 / frameUs, 1.0) << "speed " << cases[i].speed << " spinner " << cases[i].spinner;
    }
}

TEST_F(RideLoopTest, StandingFramesFollowTheSpeedSettingAtOnce) {
    auto lastX = std::make_shared<int>();
    double changedAt = 0, nextPassAt = 0;
    int passesAfter = 0;
    StartRide().Do([&] {
        // L held and moving right: the car moves 2 pixels at each pass.
        f->carX = 290;
        f->steerKeys = 2;
        f->steerDirection = 1;
        *lastX = f->carX;
    });
    script.Until([&] { return f->carX != *lastX; }, 100)
        .Wait(20000)
        .Do([&] {
            // Speed 500: the frame under way is already longer than the new 10 ms.
            f->VScrollbar1.SetValue(1);
            EXPECT_DOUBLE_EQ(f->speedFactor, 5.0);
            changedAt = Now();
            *lastX = f->carX;
        })
        .Until([&] { return f->carX != *lastX; }, 100)
        .Do([&] {
            nextPassAt = Now();
            *lastX = f->carX;
        })
        .Wait(105000)
        .Do([&] { passesAfter = (f->carX - *lastX) / 2; });
    script.Play();
    EXPECT_LE(nextPassAt - changedAt, 1100);
    EXPECT_EQ(passesAfter, 10);
}

} // namespace
