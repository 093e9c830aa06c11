#include <functional>
#include <string>
#include <vector>

#include "game_fixture.h"

using testing_support::GameTest;

namespace {

constexpr int kEscape = 27, kQ = 81, kA = 65, kK = 75, kL = 76;

// A ride under way on the straight road of column 7: the car is on the road
// while 160 < carX < 416.
class KeyboardTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Start();
        game.cues.clear();
    }
    void Status(const std::string& marker = "unchanged") { f->Label6.SetCaption(marker); }
    bool StatusRewritten() const { return f->Label6.Caption() != "unchanged"; }
};

TEST_F(KeyboardTest, EscapeOnTheIntroPanelDoesNothing) {
    f->NewGame();  // key preview stays on from the ride
    ASSERT_TRUE(f->Picture4.Visible());
    f->speed = 4;
    Key(kEscape);
    EXPECT_FALSE(f->Picture2.Visible());
    EXPECT_EQ(f->speed, 4);
}

TEST_F(KeyboardTest, EscapeInARideOpensTheMenuAndStopsTheCar) {
    Key(kQ);
    Key(kQ);
    ASSERT_EQ(f->speed, 8);
    Status();
    Key(kEscape);
    EXPECT_TRUE(f->Picture2.Visible());
    EXPECT_EQ(f->speed, 1);
    EXPECT_FALSE(StatusRewritten());
    EXPECT_EQ(f->gameRunning, game::kTrue);
}

TEST_F(KeyboardTest, WhileTheMenuIsOpenOnlyEscapeCounts) {
    Key(kEscape);
    f->carX = 290;
    f->steerDirection = 1;
    f->obstacleGrid[game::kBomb][1] = 10;
    for (int code : {kQ, kA, kK, kL, 0, 88}) {
        Status();
        f->form_KeyDown(static_cast<int16_t>(code), 0);
        EXPECT_EQ(f->speed, 1) << code;
        EXPECT_EQ(f->carX, 290) << code;
        EXPECT_EQ(f->steerKeys, 0) << code;
        EXPECT_FALSE(StatusRewritten()) << code;
    }
    EXPECT_EQ(f->damage, 0);
    EXPECT_EQ(f->obstacleGrid[game::kBomb][1], 10);
}

TEST_F(KeyboardTest, SecondEscapeClosesTheMenuAndGoesOnLikeAnyKey) {
    Key(kEscape);
    ASSERT_TRUE(f->Picture2.Visible());
    // The straight car is placed afresh, the bomb under it is hit.
    f->autic.Hide();
    f->autic.Move(0, 0, 32, 32);
    f->auticd.Show();
    f->obstacleGrid[game::kBomb][1] = 10;
    Key(kEscape);
    EXPECT_FALSE(f->Picture2.Visible());
    EXPECT_TRUE(f->autic.Visible());
    EXPECT_FALSE(f->auticd.Visible());
    EXPECT_DOUBLE_EQ(f->autic.Left(), 288);
    EXPECT_DOUBLE_EQ(f->autic.Top(), 416);
    EXPECT_EQ(f->obstacleGrid[game::kBomb][1], 0);
    EXPECT_EQ(f->damage, 11);
    EXPECT_EQ(f->speed, 1);
}

TEST_F(KeyboardTest, SecondEscapeAppliesTheRoadEdge) {
    Key(kEscape);
    // Moving off the road when the menu closes (the loop may have raised the speed).
    f->speed = 4;
    f->carX = 160;
    Key(kEscape);
    EXPECT_EQ(f->damage, 6);
    EXPECT_EQ(f->speed, 1);
    EXPECT_EQ(game.cues, std::vector<int>{2});
}

TEST_F(KeyboardTest, EscapeWithoutARideOnlyToggles) {
    f->damage = 100;
    f->ShowStatus();
    ASSERT_EQ(f->gameRunning, game::kFalse);
    f->obstacleGrid[game::kBomb][1] = 10;
    f->speed = 4;
    Key(kEscape);
    EXPECT_TRUE(f->Picture2.Visible());
    EXPECT_EQ(f->speed, 1);
    f->speed = 4;
    f->carX = 160;
    Status();
    Key(kEscape);
    EXPECT_FALSE(f->Picture2.Visible());
    EXPECT_EQ(f->obstacleGrid[game::kBomb][1], 10);
    EXPECT_EQ(f->damage, 100);
    EXPECT_EQ(f->speed, 4);
    EXPECT_FALSE(StatusRewritten());
    EXPECT_TRUE(game.cues.empty());
}

TEST_F(KeyboardTest, OtherKeysAreIgnoredWithoutARide) {
    f->gameRunning = game::kFalse;
    for (int code : {kQ, kK, kL, 0}) Key(code);
    EXPECT_EQ(f->speed, 1);
    EXPECT_EQ(f->carX, 288);
    EXPECT_EQ(f->steerKeys, 0);
}

TEST_F(KeyboardTest, GearUpOnlyOnTheRoad) {
    struct Case {
        int16_t x;
        bool accepted;
    };
    for (Case c : {Case{160, false}, Case{162, true}, Case{414, true}, Case{416, false}, Case{-2, false}}) {
        f->speed = 1;
        f->carX = c.x;
        Status();
        Key(kQ);
        EXPECT_EQ(f->speed, c.accepted ? 4 : 1) << c.x;
        EXPECT_EQ(StatusRewritten(), c.accepted) << c.x;
    }
    // The edges follow the road of the car's own row.
    f->speed = 1;
    f->carX = 162;
    f->roadColumn[f->carGridRow] = 8;  // road edge now at 192
    Key(kQ);
    EXPECT_EQ(f->speed, 1);
}

TEST_F(KeyboardTest, GearsWithinTheSkillsLimits) {
    struct Case {
        int skill;
        std::vector<int16_t> up, down;
    };
    const Case cases[] = {
        {0, {2, 4, 8, 8}, {4, 2, 2}},
        {1, {4, 8, 16, 16}, {8, 4, 4}},
        {2, {16, 16}, {16, 16}},
    };
    for (const Case& c : cases) {
        f->Skill.SetListIndex(c.skill);
        f->speed = 1;
        for (int16_t expected : c.up) {
            Status();
            Key(kQ);
            EXPECT_EQ(f->speed, expected) << "skill " << c.skill;
            EXPECT_TRUE(StatusRewritten());
        }
        for (int16_t expected : c.down) {
            Status();
            Key(kA);
            EXPECT_EQ(f->speed, expected) << "skill " << c.skill;
            EXPECT_TRUE(StatusRewritten());
        }
    }
    EXPECT_EQ(f->Label6.Caption(), "  GEAR: 4/4   DAMAGE: 0%");

    // The lower limit is applied last and wins over the upper one.
    f->minSpeed = 16;
    f->maxSpeed = 8;
    f->speed = 1;
    Key(kQ);
    EXPECT_EQ(f->speed, 16);
}

TEST_F(KeyboardTest, GearDownDoesNothingWhenStanding) {
    Status();
    Key(kA);
    EXPECT_EQ(f->speed, 1);
    EXPECT_FALSE(StatusRewritten());
}

TEST_F(KeyboardTest, SteeringIsRefusedAtTheScreenEdges) {
    // A road at the very edge, so that only the screen stops the car.
    f->roadColumn[1] = 1;
    f->carX = 0;
    f->steerKeys = 1;
    f->steerDirection = -1;
    Key(kK);
    EXPECT_EQ(f->carX, 0);
    EXPECT_EQ(f->steerDirection, 0);
    EXPECT_EQ(f->steerKeys, 1);

    f->roadColumn[1] = 15;
    f->carX = 608;
    f->steerKeys = 0;
    f->steerDirection = 1;
    Key(kL);
    EXPECT_EQ(f->carX, 608);
    EXPECT_EQ(f->steerDirection, 0);
    EXPECT_EQ(f->steerKeys, 0);

    f->carX = 606;
    Key(kL);
    EXPECT_EQ(f->carX, 608);
    EXPECT_EQ(f->steerDirection, 1);
    EXPECT_EQ(f->steerKeys, 2);
}

TEST_F(KeyboardTest, SteeringIsRefusedAtTheRoadEdges) {
    f->carX = 160;
    Key(kK);
    EXPECT_EQ(f->carX, 160);
    EXPECT_EQ(f->steerDirection, 0);
    f->carX = 416;
    Key(kL);
    EXPECT_EQ(f->carX, 416);
    EXPECT_EQ(f->steerDirection, 0);
    EXPECT_EQ(f->steerKeys, 0);
}

TEST_F(KeyboardTest, ContinuationStepIgnoresTheBounds) {
    f->carX = 0;
    f->steerDirection = -1;
    f->form_KeyDown(0, 0);
    EXPECT_EQ(f->carX, -2);
    f->carX = 608;
    f->steerDirection = 1;
    f->form_KeyDown(0, 0);
    EXPECT_EQ(f->carX, 610);
    EXPECT_EQ(f->steerKeys, 0);
}

TEST_F(KeyboardTest, SteeringOffTheRoadCostsDamageAndStopsTheCar) {
    for (int skill = 0; skill <= 2; ++skill) {
        for (int side = 0; side <= 1; ++side) {
            f->Skill.SetListIndex(skill);
            f->damage = 10;
            f->speed = 16;
            f->carX = side ? 414 : 162;
            game.cues.clear();
            Key(side ? kL : kK);
            EXPECT_EQ(f->carX, side ? 416 : 160);
            EXPECT_EQ(f->speed, 1) << skill << side;
            EXPECT_EQ(f->damage, 10 + 5 + skill) << skill << side;
            EXPECT_EQ(game.cues, std::vector<int>{2});
            EXPECT_EQ(f->Label6.Caption(),
                      "  GEAR: 0/" + std::string(skill == 0 ? "3" : "4") + "   DAMAGE: " + std::to_string(15 + skill) + "%");
        }
    }
}

TEST_F(KeyboardTest, StandingOffTheRoadCostsNothing) {
    f->carX = 160;
    f->damage = 10;
    Key(88);
    f->form_KeyDown(0, 0);
    f->carX = 500;
    f->form_KeyDown(0, 0);
    EXPECT_EQ(f->damage, 10);
    EXPECT_TRUE(game.cues.empty());
}

TEST_F(KeyboardTest, AnyOtherKeyStillChecksTheRoadAndTheObstacles) {
    f->speed = 4;
    f->carX = 160;
    Key(88);  // X
    EXPECT_EQ(f->speed, 1);
    EXPECT_EQ(f->damage, 6);

    f->carX = 288;
    f->obstacleGrid[game::kBag][1] = 10;
    Key(ui::vk::Space);
    EXPECT_EQ(f->obstacleGrid[game::kBag][1], 0);
    EXPECT_EQ(f->bagCount, 1);
    EXPECT_EQ(f->carX, 288);
    EXPECT_EQ(game.cues, (std::vector<int>{2, 3}));
}

TEST_F(KeyboardTest, KeyUpClearsOnlyItsOwnBit) {
    f->steerKeys = 3;
    KeyUp(kK);
    EXPECT_EQ(f->steerKeys, 2);
    f->steerKeys = 3;
    KeyUp(kL);
    EXPECT_EQ(f->steerKeys, 1);
    KeyUp(kQ);
    EXPECT_EQ(f->steerKeys, 1);
}

TEST_F(KeyboardTest, KeyUpIsRecordedWithTheMenuOpenAndWithoutARide) {
    Key(kEscape);
    f->steerKeys = 3;
    KeyUp(kL);
    EXPECT_EQ(f->steerKeys, 1);
    Key(kEscape);
    f->gameRunning = game::kFalse;
    KeyUp(kK);
    EXPECT_EQ(f->steerKeys, 0);
}

TEST_F(KeyboardTest, SteeringKeysAreHeldUntilReleased) {
    Key(kL);
    Key(kK);
    EXPECT_EQ(f->steerKeys, 3);
    EXPECT_EQ(f->steerDirection, -1);
    EXPECT_EQ(f->carX, 288);
    // Not reset by a new game either.
    f->NewGame();
    EXPECT_EQ(f->steerKeys, 3);
}

// Which car sprite shows, and where.
class CarSpriteTest : public KeyboardTest {
protected:
    std::string Shown() const {
        std::string s;
        if (f->autic.Visible()) s += "straight ";
        if (f->auticl.Visible()) s += "left ";
        if (f->auticd.Visible()) s += "right ";
        return s;
    }
    static void ExpectAt(const ui::Element& sprite, int x) {
        EXPECT_DOUBLE_EQ(sprite.Left(), x) << sprite.FullName();
        EXPECT_DOUBLE_EQ(sprite.Top(), 416) << sprite.FullName();
        EXPECT_DOUBLE_EQ(sprite.Width(), 32) << sprite.FullName();
        EXPECT_DOUBLE_EQ(sprite.Height(), 32) << sprite.FullName();
    }
};

TEST_F(CarSpriteTest, MovingCarTiltsWhileSteering) {
    f->speed = 4;
    Key(kL);
    EXPECT_EQ(Shown(), "right ");
    ExpectAt(f->auticd, 290);
    EXPECT_EQ(f->carXPrevious, -1);
    KeyUp(kL);
    f->carXPrevious = 0;
    Key(kK);
    EXPECT_EQ(Shown(), "left ");
    ExpectAt(f->auticl, 288);
    EXPECT_EQ(f->carXPrevious, -1);
}

TEST_F(CarSpriteTest, StandingCarTiltsOnlyOffTheGrid) {
    Key(kL);
    EXPECT_EQ(Shown(), "right ");
    ExpectAt(f->auticd, 290);
    KeyUp(kL);
    f->carXPrevious = 0;
    // The step back onto the grid line leaves the tilted sprite where it was.
    Key(kK);
    EXPECT_EQ(f->carX, 288);
    EXPECT_EQ(Shown(), "right ");
    ExpectAt(f->auticd, 290);
    EXPECT_EQ(f->carXPrevious, 0);
    // With the keys released the car straightens there.
    KeyUp(kK);
    f->steerDirection = 0;
    f->form_KeyDown(0, 0);
    EXPECT_EQ(Shown(), "straight ");
    ExpectAt(f->autic, 288);
    EXPECT_EQ(f->carXLatest, 0);

    // Likewise to the right: 318 to 320 keeps the straight car at 288.
    f->carX = 318;
    Key(kL);
    EXPECT_EQ(f->carX, 320);
    EXPECT_EQ(Shown(), "straight ");
    ExpectAt(f->autic, 288);
}

TEST_F(CarSpriteTest, MovingCarStraightensOnlyAfterTheLoopSawItStill) {
    f->speed = 4;
    f->auticd.Show();
    f->autic.Hide();
    f->carX = 320;
    f->carXLatest = 320;
    f->carXPrevious = 318;
    f->form_KeyDown(0, 0);
    EXPECT_EQ(Shown(), "right ");
    f->carXPrevious = 320;
    Key(88);  // only the steering step may straighten a moving car
    EXPECT_EQ(Shown(), "right ");
    f->form_KeyDown(0, 0);
    EXPECT_EQ(Shown(), "straight ");
    ExpectAt(f->autic, 320);
    EXPECT_EQ(f->carXLatest, 0);
}

TEST_F(CarSpriteTest, HeldKeyKeepsTheCarTilted) {
    f->speed = 1;
    f->carX = 320;
    f->steerKeys = 2;
    f->auticd.Show();
    f->autic.Hide();
    f->form_KeyDown(0, 0);
    EXPECT_EQ(Shown(), "right ");
}

TEST(KeysBeforeTheFirstRide, GoToTheFocusedWidgetOnly) {
    testing_support::TempDir dir;
    headless::HeadlessGame game(dir.path() / "Trakmor_B.spd");
    game.Load();
    game::Form1& f = *game.form;
    ASSERT_FALSE(game.window.KeyPreview);
    // With the intro panel out of the way Escape would open the menu, but the
    // window's handler does not see the key yet.
    f.Picture4.Hide();
    game.window.OnKeyDown(kEscape);
    EXPECT_FALSE(f.Picture2.Visible());
    f.Picture4.Show();
    game.window.SetFocus(&f.Skill);
    game.window.OnKeyDown(ui::vk::Down);
    EXPECT_EQ(f.Skill.ListIndex(), 2);

    ASSERT_TRUE(game.window.ClickElement(f.Command1));
    EXPECT_TRUE(game.window.KeyPreview);
    f.NewGame();
    EXPECT_TRUE(game.window.KeyPreview);
    f.Picture4.Hide();
    game.window.OnKeyDown(kEscape);
    EXPECT_TRUE(f.Picture2.Visible());
}

// The window with a pump that lets a test act where the game gives way to
// pending events, as inside the leaving-the-road cue.
using testing_support::PeekingPump;

TEST(KeysInsideTheRoadCue, PenaltyUsesTheSkillBeforeAndTheDamageAfterTheCue) {
    testing_support::TempDir dir;
    ui::Window window;
    platform::FakeCounter counter;
    platform::FakeDisplayDriver display;
    headless::SilentWavePlayer player;
    PeekingPump pump;
    platform::MersenneRandom random;
    platform::NativeFileStore files;
    game::Form1 f(game::Services{window, counter, display, player, pump, random, files, dir.path() / "Trakmor_B.spd"});
    f.Form_Load();
    ASSERT_TRUE(window.ClickElement(f.Command1));
    f.speed = 8;
    f.carX = 162;
    f.damage = 10;
    int yields = 0;
    pump.onYield = [&] {
        ++yields;
        // Handled while the cue starts: a bomb elsewhere, and a skill change.
        f.damage = static_cast<int16_t>(f.damage + 11);
        f.Skill.SetListIndex(2);
    };
    f.form_KeyDown(kK, 0);
    EXPECT_EQ(yields, 1);
    EXPECT_EQ(f.damage, 10 + 11 + 6);
    EXPECT_EQ(f.speed, 1);
}

} // namespace
