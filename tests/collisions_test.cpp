#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "game_fixture.h"

using testing_support::GameTest;

namespace {

using game::kBag;
using game::kBomb;
using game::kRabbit;
using game::kTools;

using testing_support::Solid;

// One colour per hit mark, so that a mark tells which picture was used.
constexpr uint32_t kMark[4] = {0x10A010, 0xF06000, 0xA010A0, 0x1010F0};
constexpr uint32_t kRoad = 0x404040;

// Centre pixel of the cell drawn at x, y of a road screen.
uint32_t CellColour(const ui::Element& screen, int x, int y) {
    const ui::Surface* img = screen.ImageIfAny();
    return img ? img->At(x + 16, y + 16) : 0xFFFFFFFFu;
}

// A ride under way on a plain road screen, with marks that can be told apart.
class CollisionTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Start();
        for (int k = 0; k < 4; ++k) f->nemaga[k]->SetPicture(Solid(32, 32, kMark[k]));
        for (ui::Element* x : f->Picturex) x->Image().Fill(kRoad);
        f->carGridRow = 1;
        f->carX = 288;
        f->speed = 1;
        game.cues.clear();
    }
    void ClearGrid() {
        for (auto& kind : f->obstacleGrid) kind.fill(0);
    }
};

TEST_F(CollisionTest, EmptyCellsAreNeverHit) {
    // An empty cell would sit at x = -32 if its 0 were taken for a column;
    // the steering can briefly put the car just right of that.
    for (int16_t speed : {1, 2, 16}) {
        for (int16_t x : {-32, -30, -2, 0, 2, 288, 606}) {
            f->speed = speed;
            f->carX = x;
            f->CheckCollisions();
            EXPECT_EQ(f->damage, 0) << speed << " " << x;
        }
    }
    EXPECT_EQ(f->bagCount, 0);
    EXPECT_EQ(f->rabbitCount, 0);
    EXPECT_EQ(f->speed, 16);
    EXPECT_TRUE(game.cues.empty());
}

TEST_F(CollisionTest, StandingCarHitsOnlyTheCellItOverlaps) {
    f->obstacleGrid[kBomb][1] = 11;  // x = 320: exactly one car width away
    f->CheckCollisions();
    EXPECT_EQ(f->obstacleGrid[kBomb][1], 11);
    f->obstacleGrid[kBomb][1] = 9;  // x = 256, on the other side
    f->CheckCollisions();
    EXPECT_EQ(f->obstacleGrid[kBomb][1], 9);
    EXPECT_EQ(f->damage, 0);
    EXPECT_TRUE(game.cues.empty());

    f->obstacleGrid[kBomb][1] = 10;  // x = 288, under the car
    f->CheckCollisions();
    EXPECT_EQ(f->obstacleGrid[kBomb][1], 0);
    EXPECT_EQ(f->damage, 11);
    EXPECT_EQ(game.cues, std::vector<int>{1});
}

TEST_F(CollisionTest, ReachUnderTheCarAndAheadByGear) {
    // Under the car the reach shrinks with the gear (32 / speed); ahead it
    // grows with it (speed), both strictly.
    for (int16_t speed : {1, 2, 4, 8, 16}) {
        for (int d = -40; d <= 40; ++d) {
            for (int ahead = 0; ahead <= 1; ++ahead) {
                ClearGrid();
                const int64_t before = f->bagCount;
                f->speed = speed;
                f->carX = static_cast<int16_t>(288 + d);
                f->obstacleGrid[kBag][1 + ahead] = 10;
                f->CheckCollisions();
                const double reach = ahead ? speed : 32.0 / speed;
                const bool expected = std::abs(d) < reach;
                EXPECT_EQ(f->bagCount - before, expected ? 1 : 0) << "speed " << speed << " d " << d << " ahead " << ahead;
                EXPECT_EQ(f->obstacleGrid[kBag][1 + ahead], expected ? 0 : 10);
            }
        }
    }
}

TEST_F(CollisionTest, TopGearWindowsAroundAnObstacle) {
    f->speed = 16;
    std::vector<int> under, ahead;
    for (int16_t x = 260; x <= 316; ++x) {
        ClearGrid();
        f->carX = x;
        f->obstacleGrid[kBag][1] = 10;
        f->obstacleGrid[kBag][2] = 10;
        f->CheckCollisions();
        if (f->obstacleGrid[kBag][1] == 0) under.push_back(x);
        if (f->obstacleGrid[kBag][2] == 0) ahead.push_back(x);
    }
    EXPECT_EQ(under, (std::vector<int>{287, 288, 289}));
    ASSERT_FALSE(ahead.empty());
    EXPECT_EQ(ahead.front(), 273);
    EXPECT_EQ(ahead.back(), 303);
    EXPECT_EQ(ahead.size(), 31u);
}

TEST_F(CollisionTest, ObstacleInBothRowsCountsOnce) {
    f->speed = 4;  // gear 2
    f->obstacleGrid[kBag][1] = 10;
    f->obstacleGrid[kBag][2] = 10;
    f->CheckCollisions();
    EXPECT_EQ(f->obstacleGrid[kBag][1], 0);
    EXPECT_EQ(f->obstacleGrid[kBag][2], 0);
    EXPECT_EQ(f->bagCount, 1);
    EXPECT_EQ(f->bagPoints, 2);
    EXPECT_EQ(game.cues, std::vector<int>{3});
    // Both cells are marked: grid rows 1 and 2 lie at y 416 and 384 of screen 0.
    EXPECT_EQ(CellColour(*f->Picturex[0], 288, 416), kMark[kBag]);
    EXPECT_EQ(CellColour(*f->Picturex[0], 288, 384), kMark[kBag]);
}

TEST_F(CollisionTest, EffectsByKindSkillAndGear) {
    for (int skill = 0; skill <= 2; ++skill) {
        f->Skill.SetListIndex(skill);
        for (int16_t speed : {1, 2, 4, 8, 16}) {
            const int gear = f->gearOfSpeed[speed];
            const std::string where = "skill " + std::to_string(skill) + " speed " + std::to_string(speed);

            auto hit = [&](int kind) {
                ClearGrid();
                game.cues.clear();
                f->speed = speed;
                f->damage = 50;
                f->obstacleGrid[kind][1] = 10;
                f->CheckCollisions();
                EXPECT_EQ(f->obstacleGrid[kind][1], 0) << where;
                if (game.cues.size() != 1) {
                    ADD_FAILURE() << where << ": " << game.cues.size() << " cues";
                    return -1;
                }
                return game.cues[0];
            };

            const int64_t bags = f->bagCount, bagPoints = f->bagPoints;
            EXPECT_EQ(hit(kBag), 3);
            EXPECT_EQ(f->bagCount, bags + 1) << where;
            EXPECT_EQ(f->bagPoints, bagPoints + gear) << where;
            EXPECT_EQ(f->damage, 50) << where;
            EXPECT_EQ(f->speed, speed) << where;

            EXPECT_EQ(hit(kBomb), 1);
            EXPECT_EQ(f->damage, 50 + 10 + skill) << where;
            EXPECT_EQ(f->speed, 1) << where;

            const int64_t rabbits = f->rabbitCount, rabbitPoints = f->rabbitPoints;
            EXPECT_EQ(hit(kRabbit), 0);
            EXPECT_EQ(f->rabbitCount, rabbits + 1) << where;
            EXPECT_EQ(f->rabbitPoints, rabbitPoints + 6 - gear) << where;
            EXPECT_EQ(f->damage, 50 + 3 + skill) << where;
            EXPECT_EQ(f->speed, speed) << where;

            EXPECT_EQ(hit(kTools), 4);
            EXPECT_EQ(f->damage, 50 - 3 + skill) << where;
            EXPECT_EQ(f->speed, speed) << where;
        }
    }
}

TEST_F(CollisionTest, BombFirstLeavesTheRabbitToAStandingCar) {
    // At speed 8 the car reaches only 4 pixels under it: the rabbit at 320 is
    // within reach only because the bomb has stopped the car.
    f->speed = 8;
    f->carX = 290;
    f->obstacleGrid[kBomb][1] = 10;
    f->obstacleGrid[kRabbit][1] = 11;
    f->CheckCollisions();
    EXPECT_EQ(f->obstacleGrid[kBomb][1], 0);
    EXPECT_EQ(f->obstacleGrid[kRabbit][1], 0);
    EXPECT_EQ(f->speed, 1);
    EXPECT_EQ(f->rabbitCount, 1);
    EXPECT_EQ(f->rabbitPoints, 6);
    EXPECT_EQ(f->damage, (10 + 1) + (3 + 1));
    EXPECT_EQ(f->Label6.Caption(), "  GEAR: 0/4   DAMAGE: 15%");
    EXPECT_EQ(game.cues, (std::vector<int>{1, 0}));
}

TEST_F(CollisionTest, RepairBelowZeroIsSetBackByTheStatus) {
    f->Skill.SetListIndex(0);
    f->damage = 1;
    f->obstacleGrid[kTools][1] = 10;
    f->CheckCollisions();
    EXPECT_EQ(f->damage, 0);
    EXPECT_EQ(f->Label6.Caption(), "  GEAR: 0/3   DAMAGE: 0%");
    EXPECT_EQ(game.cues, std::vector<int>{4});
}

TEST_F(CollisionTest, CheckGoesOnAfterTheRideHasEnded) {
    f->Skill.SetListIndex(0);
    f->damage = 95;
    f->obstacleGrid[kBomb][1] = 10;
    f->obstacleGrid[kTools][1] = 10;
    f->CheckCollisions();
    EXPECT_EQ(f->gameRunning, game::kFalse);
    EXPECT_TRUE(f->Picture6.Visible());
    // The tools are still taken, after the status has capped the bomb at 100.
    EXPECT_EQ(f->obstacleGrid[kTools][1], 0);
    EXPECT_EQ(f->damage, 97);
    EXPECT_EQ(game.cues, (std::vector<int>{1, 4}));
}

TEST_F(CollisionTest, MarksLandInTheCellOfTheirGridRow) {
    struct Case {
        int16_t carRow;
        int kind;
        int row;      // grid row of the obstacle
        int screen;   // where its mark belongs
        int y;
    };
    const Case cases[] = {
        {0, kBomb, 0, 0, 448},    {13, kRabbit, 14, 0, 0}, {14, kBag, 15, 1, 448},
        {29, kTools, 29, 1, 0},   {29, kBag, 0, 0, 448},   {16, kBomb, 16, 1, 416},
    };
    for (const Case& c : cases) {
        for (ui::Element* x : f->Picturex) x->Image().Fill(kRoad);
        ClearGrid();
        f->speed = 1;
        f->carGridRow = c.carRow;
        f->carX = 128;  // column value 5, so that the row ahead is reached too
        f->obstacleGrid[c.kind][c.row] = 5;
        f->CheckCollisions();
        const std::string where = "row " + std::to_string(c.row);
        EXPECT_EQ(f->obstacleGrid[c.kind][c.row], 0) << where;
        EXPECT_EQ(CellColour(*f->Picturex[c.screen], 128, c.y), kMark[c.kind]) << where;
        // Nothing else is painted.
        const ui::Surface& other = f->Picturex[1 - c.screen]->Image();
        for (uint32_t px : other.Pixels()) ASSERT_EQ(px, kRoad) << where;
        int marked = 0;
        for (uint32_t px : f->Picturex[c.screen]->Image().Pixels()) marked += px != kRoad;
        EXPECT_EQ(marked, 32 * 32) << where;
    }
}

TEST_F(CollisionTest, RowAheadOfTheLastRowIsTheFirst) {
    f->speed = 4;
    f->carGridRow = 29;
    f->obstacleGrid[kBag][0] = 10;
    f->obstacleGrid[kBag][28] = 10;  // behind the car: never looked at
    f->CheckCollisions();
    EXPECT_EQ(f->obstacleGrid[kBag][0], 0);
    EXPECT_EQ(f->obstacleGrid[kBag][28], 10);
    EXPECT_EQ(f->bagCount, 1);
}

TEST_F(CollisionTest, HitShowsOnThePlayfieldAtOnce) {
    f->Picture1.Image().Fill(0);
    f->obstacleGrid[kBomb][1] = 10;
    f->CheckCollisions();
    // Screen 0 lies at the top of the playfield, so its cell is at the same place.
    EXPECT_EQ(f->Picture1.Image().At(288 + 16, 416 + 16), kMark[kBomb]);
}

// The same window, with a pump that lets a test look in wherever the game gives
// way to pending events: inside every sound cue.
using testing_support::PeekingPump;

class CollisionInsideCueTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<game::Form1>(
            game::Services{window, counter, display, player, pump, random, files, dir.path() / "Trakmor_B.spd"});
        player.onPlay = [this](const uint8_t* image) { cues.push_back(headless::CueOf(*form, image)); };
        form->Form_Load();
        f = form.get();
        ASSERT_TRUE(window.ClickElement(f->Command1));
        for (int k = 0; k < 4; ++k) f->nemaga[k]->SetPicture(Solid(32, 32, kMark[k]));
        for (ui::Element* x : f->Picturex) x->Image().Fill(kRoad);
        f->Picture1.Image().Fill(0);
        f->carGridRow = 1;
        f->carX = 288;
    }
    uint32_t OnPlayfield(int x, int y) const { return f->Picture1.Image().At(x + 16, y + 16); }

    testing_support::TempDir dir;
    ui::Window window;
    platform::FakeCounter counter;
    platform::FakeDisplayDriver display;
    headless::SilentWavePlayer player;
    PeekingPump pump;
    platform::MersenneRandom random;
    platform::NativeFileStore files;
    std::unique_ptr<game::Form1> form;
    game::Form1* f = nullptr;
    std::vector<int> cues;
};

TEST_F(CollisionInsideCueTest, EachKindIsFinishedBeforeTheNextOne) {
    f->speed = 8;
    f->carX = 290;
    f->obstacleGrid[kBomb][1] = 10;
    f->obstacleGrid[kRabbit][1] = 11;
    struct Seen {
        int16_t damage;
        std::string status;
        int64_t rabbits;
        int16_t rabbitCell;
        uint32_t bombOnPlayfield, rabbitOnScreen, rabbitOnPlayfield;
    };
    std::vector<Seen> seen;
    pump.onYield = [&] {
        seen.push_back({f->damage, f->Label6.Caption(), f->rabbitCount, f->obstacleGrid[kRabbit][1],
                        OnPlayfield(288, 416), CellColour(*f->Picturex[0], 320, 416), OnPlayfield(320, 416)});
    };
    f->CheckCollisions();
    ASSERT_EQ(seen.size(), 2u);
    // In the rabbit's cue the bomb is done: damage, status line and playfield.
    const Seen& s = seen[1];
    EXPECT_EQ(s.damage, 11);
    EXPECT_EQ(s.status, "  GEAR: 0/4   DAMAGE: 11%");
    EXPECT_EQ(s.bombOnPlayfield, kMark[kBomb]);
    // The rabbit's cell is cleared and marked before its cue, its counters after.
    EXPECT_EQ(s.rabbitCell, 0);
    EXPECT_EQ(s.rabbitOnScreen, kMark[kRabbit]);
    EXPECT_EQ(s.rabbitOnPlayfield, kRoad);
    EXPECT_EQ(s.rabbits, 0);
    // Then its own status and drawing follow.
    EXPECT_EQ(f->Label6.Caption(), "  GEAR: 0/4   DAMAGE: 15%");
    EXPECT_EQ(OnPlayfield(320, 416), kMark[kRabbit]);
    EXPECT_EQ(cues, (std::vector<int>{1, 0}));
}

TEST_F(CollisionInsideCueTest, RepairIsCountedBeforeItsCue) {
    f->Skill.SetListIndex(0);
    f->damage = 1;
    f->obstacleGrid[kTools][1] = 10;
    std::vector<int16_t> damageInCue;
    pump.onYield = [&] { damageInCue.push_back(f->damage); };
    f->CheckCollisions();
    EXPECT_EQ(damageInCue, std::vector<int16_t>{-2});
    EXPECT_EQ(f->damage, 0);
}

TEST_F(CollisionInsideCueTest, CheckNestedInACueDoesNotCountTheHitAgain) {
    f->speed = 2;
    f->obstacleGrid[kBag][1] = 10;
    int nested = 0;
    pump.onYield = [&] {
        // A key handled while the cue starts runs a steering step of its own.
        if (nested++ == 0) f->form_KeyDown(0, 0);
    };
    f->CheckCollisions();
    EXPECT_EQ(f->bagCount, 1);
    EXPECT_EQ(f->bagPoints, 1);
    EXPECT_EQ(cues, std::vector<int>{3});
}

} // namespace
