#include "game_fixture.h"

using testing_support::GameTest;

namespace {

class StatusTest : public GameTest {};

TEST_F(StatusTest, DamageBelowZeroIsSetBack) {
    f->damage = -2;
    f->ShowStatus();
    EXPECT_EQ(f->damage, 0);
    EXPECT_EQ(f->Label6.Caption(), "  GEAR: 0/4   DAMAGE: 0%");
}

TEST_F(StatusTest, GearsAgainstTheSkillsTopGear) {
    f->speed = 4;
    f->damage = 23;
    f->ShowStatus();
    EXPECT_EQ(f->Label6.Caption(), "  GEAR: 2/4   DAMAGE: 23%");
    f->maxSpeed = 8;
    f->speed = 8;
    f->ShowStatus();
    EXPECT_EQ(f->Label6.Caption(), "  GEAR: 3/3   DAMAGE: 23%");
}

TEST_F(StatusTest, NinetyNineIsNotGameOver) {
    f->gameRunning = game::kTrue;
    f->speed = 8;
    f->damage = 99;
    f->ShowStatus();
    EXPECT_EQ(f->gameRunning, game::kTrue);
    EXPECT_FALSE(f->Picture6.Visible());
    EXPECT_EQ(f->speed, 8);
}

TEST_F(StatusTest, GameOverAtHundredOrMore) {
    for (int16_t d : {100, 112}) {
        f->NewGame();
        f->gameRunning = game::kTrue;
        f->speed = 16;
        f->damage = d;
        f->ShowStatus();
        EXPECT_EQ(f->gameRunning, game::kFalse);
        EXPECT_EQ(f->damage, 100);
        EXPECT_EQ(f->speed, 1);
        EXPECT_TRUE(f->Picture6.Visible());
        EXPECT_EQ(f->Label6.Caption(), "  GEAR: 0/4   DAMAGE: 100%");
    }
}

TEST_F(StatusTest, ScorePanelAndTotalNeverBelowZero) {
    EXPECT_FALSE(f->Picture6.Visible());
    f->roadScore = 2;
    f->bagCount = 2;
    f->bagPoints = 3;
    f->rabbitCount = 4;
    f->rabbitPoints = 10;
    f->damage = 100;
    f->ShowStatus();
    EXPECT_EQ(f->roadbod.Caption(), "2");
    EXPECT_EQ(f->novacamount.Caption(), "2");
    EXPECT_EQ(f->novacabod.Caption(), "3");
    EXPECT_EQ(f->zekoamount.Caption(), "4");
    EXPECT_EQ(f->zekobodi.Caption(), "-10");
    EXPECT_EQ(f->totalbod.Caption(), "0");
    EXPECT_EQ(f->roadScore, 0);
}

TEST_F(StatusTest, NoRabbitsShowsZero) {
    f->roadScore = 7;
    f->bagPoints = 5;
    f->damage = 104;
    f->ShowStatus();
    EXPECT_EQ(f->zekobodi.Caption(), "0");
    EXPECT_EQ(f->totalbod.Caption(), "12");
    EXPECT_EQ(f->roadScore, 12);
}

TEST_F(StatusTest, SecondGameOverCallKeepsPanelAndTotal) {
    f->roadScore = 20;
    f->bagPoints = 6;
    f->rabbitPoints = 4;
    f->damage = 100;
    f->ShowStatus();
    ASSERT_EQ(f->roadScore, 22);
    // A later hit in the same check pushes the damage past 100 again.
    f->damage = 111;
    f->rabbitPoints = 8;
    f->ShowStatus();
    EXPECT_EQ(f->roadScore, 22);
    EXPECT_EQ(f->totalbod.Caption(), "22");
    EXPECT_EQ(f->roadbod.Caption(), "20");
    EXPECT_EQ(f->zekobodi.Caption(), "-4");
    EXPECT_EQ(f->damage, 100);
    // The next ride gets its own panel.
    f->NewGame();
    f->roadScore = 1;
    f->damage = 100;
    f->ShowStatus();
    EXPECT_EQ(f->totalbod.Caption(), "1");
}

TEST_F(StatusTest, PlaceholdersNeverShow) {
    // The panel is hidden until its figures have been written.
    EXPECT_FALSE(f->Picture6.Shown());
    f->damage = 100;
    f->ShowStatus();
    for (ui::Element* e : {&f->roadbod, &f->novacabod, &f->zekobodi, &f->totalbod, &f->novacamount, &f->zekoamount}) {
        EXPECT_NE(e->Caption(), "ROAD SCORE");
        EXPECT_NE(e->Caption(), "AMOUNT");
    }
}

} // namespace
