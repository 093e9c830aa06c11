#include <algorithm>
#include <array>
#include <cstdlib>
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

// The curve in two colours, so that a mirrored copy can be told from a plain one.
constexpr uint32_t kCurveLeftHalf = 0x3030A0, kCurveRightHalf = 0x30A030;
constexpr uint32_t kStraight = 0x505050;
constexpr uint32_t kObstacle[4] = {0xE0C000, 0xE00000, 0xC0C0C0, 0x0000E0};
constexpr uint32_t kScenery[6] = {0x006000, 0x007000, 0x800000, 0x606060, 0x0000A0, 0x704000};

ui::PicturePtr TwoToneCurve() {
    std::vector<uint32_t> px(320 * 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 320; ++x) px[static_cast<size_t>(y * 320 + x)] = 0xFF000000u | (x < 160 ? kCurveLeftHalf : kCurveRightHalf);
    return ui::Picture::FromPixels(320, 128, std::move(px));
}

void GivePictures(game::Form1& f) {
    f.sravno.SetPicture(Solid(224, 32, kStraight));
    f.sdesno.SetPicture(TwoToneCurve());
    for (int k = 0; k < 4; ++k) f.ometalo[k]->SetPicture(Solid(32, 32, kObstacle[k]));
    for (int p = 0; p < 6; ++p) f.Picture3[p]->SetPicture(Solid(32, 32, kScenery[p]));
}

uint32_t Pixel(const ui::Element& screen, int x, int y) { return screen.ImageIfAny()->At(x, y); }

// Road building with every random draw under the test's control. Unless a
// test pushes draws of its own, each row is bare and straight and gets no
// obstacle.
class RoadTest : public GameTest {
protected:
    RoadTest() : GameTest(true) {}
    void SetUp() override {
        GameTest::SetUp();
        draws.fallback = 0.4;
        GivePictures(*f);
    }
    // The draws of one bare row; a segment's first row also draws its direction.
    void Row(int I, int direction = 0) {
        draws.Push(0, 4);
        if (I % 5 == 1) draws.Push(direction + 1, 3);
    }
    std::vector<int> RoadColumns(int from, int to) const {
        std::vector<int> out;
        for (int g = from; g <= to; ++g) out.push_back(f->roadColumn[g]);
        return out;
    }
};

TEST_F(RoadTest, RightCurveAtTheRightEdgeTurnsLeft) {
    f->genRoadColumn = 13;
    Row(1, +1);
    f->BuildRoadScreen(0);
    EXPECT_EQ(RoadColumns(0, 5), (std::vector<int>{13, 13, 12, 11, 10, 10}));
    EXPECT_EQ(f->genRoadColumn, 10);
    EXPECT_EQ(f->genRoadDirection, 0);

    // The curve is painted mirrored over x 288..607 at the segment's last row
    // (y 320) and the three below it.
    const ui::Element& s = *f->Picturex[0];
    EXPECT_EQ(Pixel(s, 288, 320), kCurveRightHalf);
    EXPECT_EQ(Pixel(s, 447, 447), kCurveRightHalf);
    EXPECT_EQ(Pixel(s, 448, 320), kCurveLeftHalf);
    EXPECT_EQ(Pixel(s, 607, 447), kCurveLeftHalf);
    EXPECT_NE(Pixel(s, 287, 330), kCurveRightHalf);
    EXPECT_NE(Pixel(s, 608, 330), kCurveLeftHalf);
    // The segment's first row is a straight piece at its old place, 13.
    EXPECT_EQ(Pixel(s, 384, 448), kStraight);
    EXPECT_EQ(Pixel(s, 607, 479), kStraight);
    EXPECT_NE(Pixel(s, 383, 460), kStraight);
}

TEST_F(RoadTest, LeftCurveAtTheLeftEdgeTurnsRight) {
    f->genRoadColumn = 3;
    Row(1, -1);
    f->BuildRoadScreen(0);
    EXPECT_EQ(RoadColumns(0, 5), (std::vector<int>{3, 3, 4, 5, 6, 6}));
    EXPECT_EQ(f->genRoadColumn, 6);  // the next segment starts where the curve ended

    const ui::Element& s = *f->Picturex[0];
    EXPECT_EQ(Pixel(s, 64, 320), kCurveLeftHalf);
    EXPECT_EQ(Pixel(s, 223, 447), kCurveLeftHalf);
    EXPECT_EQ(Pixel(s, 224, 320), kCurveRightHalf);
    EXPECT_EQ(Pixel(s, 383, 447), kCurveRightHalf);
    EXPECT_EQ(Pixel(s, 64, 448), kStraight);
    EXPECT_EQ(Pixel(s, 287, 479), kStraight);
    // Above the curve the road goes on straight at 6.
    EXPECT_EQ(Pixel(s, 160, 300), kStraight);
    EXPECT_NE(Pixel(s, 159, 300), kStraight);
}

TEST_F(RoadTest, SegmentsByStartColumnAndDraw) {
    struct Case {
        int start, draw;
        std::vector<int> rows;  // the segment's five rows
        int next;               // where the next segment starts
    };
    const Case cases[] = {
        {7, 0, {7, 7, 7, 7, 7}, 7},        {7, +1, {7, 7, 8, 9, 10}, 10},    {7, -1, {7, 7, 6, 5, 4}, 4},
        {12, +1, {12, 12, 13, 14, 15}, 15}, {13, +1, {13, 13, 12, 11, 10}, 10}, {15, +1, {15, 15, 14, 13, 12}, 12},
        {4, -1, {4, 4, 3, 2, 1}, 1},        {3, -1, {3, 3, 4, 5, 6}, 6},       {1, -1, {1, 1, 2, 3, 4}, 4},
        {15, 0, {15, 15, 15, 15, 15}, 15},  {1, 0, {1, 1, 1, 1, 1}, 1},
    };
    for (const Case& c : cases) {
        f->NewGame();
        draws.draws.clear();
        f->genRoadColumn = static_cast<int16_t>(c.start);
        Row(1, c.draw);
        f->BuildRoadScreen(1);
        std::vector<int> rows = RoadColumns(15, 19);
        EXPECT_EQ(rows, c.rows) << c.start << " " << c.draw;
        EXPECT_EQ(f->roadColumn[20], c.next) << c.start << " " << c.draw;
        EXPECT_EQ(f->genRoadColumn, c.next) << c.start << " " << c.draw;
    }
}

TEST_F(RoadTest, GeneratorCarriesOnIntoTheNextScreen) {
    // A right curve in the top segment of screen 0 ends in screen 1.
    f->genRoadColumn = 7;
    Row(1, 0);
    for (int I = 2; I <= 10; ++I) Row(I);
    Row(11, +1);
    f->BuildRoadScreen(0);
    EXPECT_EQ(RoadColumns(10, 14), (std::vector<int>{7, 7, 8, 9, 10}));
    EXPECT_EQ(f->genRowPhase, 0);
    EXPECT_EQ(f->genRoadDirection, 1);
    Row(1, 0);
    f->BuildRoadScreen(1);
    EXPECT_EQ(f->roadColumn[15], 10);
    EXPECT_EQ(Pixel(*f->Picturex[1], 32 * 9, 479), kStraight);
}

TEST_F(RoadTest, ObstaclesComeAfterTheRoadInTheirOwnDraws) {
    f->genRoadColumn = 7;
    Row(1, +1);  // rows 7, 7, 8, 9, 10, then straight at 10
    for (int I = 2; I <= 15; ++I) Row(I);
    // Row 1: nothing. Row 2: tools, 4 columns in. Row 3: a rabbit at the road's
    // first inner column. Row 4: a bag at its last. The rest: nothing.
    draws.Push(6, 10);
    draws.Push(7, 10), draws.Push(29, 30), draws.Push(4, 5);
    draws.Push(9, 10), draws.Push(28, 30), draws.Push(2, 3), draws.Push(0, 5);
    draws.Push(8, 10), draws.Push(0, 30), draws.Push(0, 3), draws.Push(4, 5);
    for (int I = 5; I <= 15; ++I) draws.Push(6, 10);
    f->BuildRoadScreen(0);
    EXPECT_TRUE(draws.draws.empty());

    EXPECT_EQ(f->obstacleGrid[kTools][1], 7 + 1 + 4);
    EXPECT_EQ(f->obstacleGrid[kRabbit][2], 8 + 1);
    EXPECT_EQ(f->obstacleGrid[kBag][3], 9 + 1 + 4);
    int count = 0;
    for (const auto& kind : f->obstacleGrid)
        for (int16_t c : kind) count += c != 0;
    EXPECT_EQ(count, 3);
    // Drawn on top of the road, also under the curve painted rows later.
    const ui::Element& s = *f->Picturex[0];
    EXPECT_EQ(Pixel(s, 32 * 11 + 16, 416 + 16), kObstacle[kTools]);
    EXPECT_EQ(Pixel(s, 32 * 8 + 16, 384 + 16), kObstacle[kRabbit]);
    EXPECT_EQ(Pixel(s, 32 * 13 + 16, 352 + 16), kObstacle[kBag]);
}

TEST_F(RoadTest, RebuiltScreenMovesAboveAndForgetsItsObstacles) {
    for (auto& kind : f->obstacleGrid) kind.fill(3);
    f->Picturex[0]->SetTop(0);
    f->Picturex[1]->SetTop(480);
    f->Picturex[1]->Image().Fill(0x123456);
    f->roadScore = 7;
    f->BuildRoadScreen(1);
    EXPECT_DOUBLE_EQ(f->Picturex[1]->Top(), -480);
    EXPECT_DOUBLE_EQ(f->Picturex[0]->Top(), 0);
    EXPECT_EQ(f->roadScore, 8);
    for (int k = 0; k < 4; ++k) {
        for (int g = 0; g < 15; ++g) EXPECT_EQ(f->obstacleGrid[k][g], 3);
        for (int g = 15; g < 30; ++g) EXPECT_EQ(f->obstacleGrid[k][g], 0);
    }
    // Cleared before drawing: off the road nothing of the old picture is left.
    EXPECT_EQ(Pixel(*f->Picturex[1], 0, 0), f->Picturex[1]->backColor);
    EXPECT_EQ(Pixel(*f->Picturex[1], 639, 479), f->Picturex[1]->backColor);
}

TEST_F(RoadTest, LowestGearRisesOnNormalAtFiftyAndHundredOnly) {
    std::vector<int> raisedAt;
    int16_t last = f->minSpeed;
    for (int i = 1; i <= 260; ++i) {
        f->BuildRoadScreen(i % 2);
        if (f->minSpeed != last) raisedAt.push_back(static_cast<int>(f->roadScore));
        last = f->minSpeed;
        if (f->roadScore == 50) {
            EXPECT_EQ(f->minSpeed, 8);
        }
        if (f->roadScore == 100) {
            EXPECT_EQ(f->minSpeed, 16);
        }
    }
    EXPECT_EQ(raisedAt, (std::vector<int>{50, 100}));
    EXPECT_EQ(f->minSpeed, 16);
    EXPECT_EQ(f->maxSpeed, 16);
}

TEST_F(RoadTest, LowestGearRuleBoundaries) {
    struct Case {
        int skill;
        int64_t scoreBefore;
        int16_t minBefore, minAfter;
    };
    const Case cases[] = {
        {1, 50, 4, 4},   // 51 is no multiple of 50
        {1, 249, 8, 8},  // 250 is too far
        {1, 149, 16, 16},
        {1, 199, 16, 16},
        {0, 49, 2, 2},
        {0, 99, 2, 2},
        {2, 49, 16, 16},
        {2, 99, 16, 16},
    };
    for (const Case& c : cases) {
        f->Skill.SetListIndex(c.skill);
        f->roadScore = c.scoreBefore;
        f->minSpeed = c.minBefore;
        f->BuildRoadScreen(0);
        EXPECT_EQ(f->minSpeed, c.minAfter) << c.skill << " " << c.scoreBefore;
    }
}

TEST_F(RoadTest, LowestGearRiseDoesNotTouchTheCurrentSpeed) {
    f->speed = 4;
    f->roadScore = 49;
    f->BuildRoadScreen(0);
    EXPECT_EQ(f->minSpeed, 8);
    EXPECT_EQ(f->speed, 4);  // the game loop raises it at its next pass
}

// Hundreds of screens of a real random road.
TEST(RandomRoad, StaysInsideItsBoundsWithObstaclesOnIt) {
    int obstacles = 0, tools = 0, rows = 0, rowsWithObstacle = 0;
    std::array<int, 3> byKind{};
    int lowest = 99, highest = -99;
    for (uint64_t seed = 1; seed <= 12; ++seed) {
        testing_support::TempDir dir;
        headless::HeadlessGame game(dir.path() / "Trakmor_B.spd");
        game.random.FixSeed(seed * 7919);
        game.Load();
        game::Form1& f = *game.form;
        GivePictures(f);
        for (int n = 0; n < 250; ++n) {
            const int d = n % 2 == 0 ? 1 : 0;  // a ride builds screen 1 first
            f.BuildRoadScreen(d);
            const std::string where = "seed " + std::to_string(seed) + " screen " + std::to_string(n);
            ASSERT_GE(f.genRoadColumn, 1) << where;
            ASSERT_LE(f.genRoadColumn, 15) << where;
            const ui::Surface& img = f.Picturex[d]->Image();
            for (int g = 15 * d; g <= 15 * d + 14; ++g) {
                const int rc = f.roadColumn[g];
                ASSERT_GE(rc, 1) << where << " row " << g;
                ASSERT_LE(rc, 15) << where << " row " << g;
                // No break in the road, also across the seam to the screen below.
                const int below = f.roadColumn[(g + 29) % 30];
                ASSERT_LE(std::abs(rc - below), 1) << where << " row " << g;
                lowest = std::min(lowest, rc);
                highest = std::max(highest, rc);

                int inRow = 0;
                for (int k = 0; k < 4; ++k) {
                    const int col = f.obstacleGrid[k][g];
                    if (col == 0) continue;
                    ++inRow;
                    ASSERT_LE(rc, col - 1) << where << " row " << g;
                    ASSERT_LE(col - 1, rc + 4) << where << " row " << g;
                    if (k == kTools) ++tools;
                    else ++byKind[static_cast<size_t>(k)];
                }
                ASSERT_LE(inRow, 1) << where << " row " << g;
                obstacles += inRow;
                rowsWithObstacle += inRow;
                ++rows;
                // The middle of the road is road (or an obstacle on it).
                const int I = g - 15 * d + 1;
                const uint32_t mid = img.At(32 * (rc + 2) + 16, 480 - 32 * I + 16);
                const bool onRoad = mid == kStraight || mid == kCurveLeftHalf || mid == kCurveRightHalf ||
                                    std::find(std::begin(kObstacle), std::end(kObstacle), mid) != std::end(kObstacle);
                ASSERT_TRUE(onRoad) << where << " row " << g << " colour " << std::hex << mid;
            }
        }
    }
    // From column 7 the segments start on 1, 4, 7, 10 or 13, so the road
    // reaches both edges that this allows.
    EXPECT_EQ(lowest, 1);
    EXPECT_EQ(highest, 13);
    // 3 rows in 10 get an obstacle; 1 obstacle in 30 is tools, the rest are
    // bags, bombs and rabbits in equal shares.
    EXPECT_NEAR(static_cast<double>(rowsWithObstacle) / rows, 0.3, 0.015);
    EXPECT_NEAR(static_cast<double>(tools) / obstacles, 1.0 / 30, 0.008);
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(static_cast<double>(byKind[static_cast<size_t>(k)]) / obstacles, 29.0 / 90, 0.02) << k;
}

} // namespace
