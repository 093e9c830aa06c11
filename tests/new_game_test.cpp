#include <algorithm>

#include "game_fixture.h"

using testing_support::GameTest;

namespace {

class NewGameTest : public GameTest {};

TEST_F(NewGameTest, StateAfterStartUp) {
    EXPECT_EQ(f->speed, 1);
    EXPECT_EQ(f->carX, 288);
    EXPECT_EQ(f->carGridRow, 1);
    EXPECT_EQ(f->scrollPixels, 0);
    EXPECT_EQ(f->gameRunning, game::kFalse);
    EXPECT_EQ(f->damage, 0);
    EXPECT_EQ(f->roadScore, 0);
    EXPECT_EQ(f->genRoadColumn, 7);
    EXPECT_EQ(f->genRoadDirection, 0);
    EXPECT_EQ(f->genRowPhase, 0);
    EXPECT_DOUBLE_EQ(f->speedFactor, 1.0);
    for (int g = 0; g < game::kGridRows; ++g) {
        EXPECT_EQ(f->roadColumn[g], 7) << g;
        for (int k = 0; k < 4; ++k) EXPECT_EQ(f->obstacleGrid[k][g], 0);
    }
    ASSERT_NE(f->frameTimer, nullptr);
}

TEST_F(NewGameTest, GearTable) {
    const int gears[33] = {0, 0, 1, 0, 2, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5};
    for (int i = 0; i <= 32; ++i) EXPECT_EQ(f->gearOfSpeed[i], gears[i]) << i;
}

TEST_F(NewGameTest, SkillListAndLimits) {
    ASSERT_EQ(f->Skill.Items(), (std::vector<std::string>{"Easy", "Normal", "Hard"}));
    EXPECT_EQ(f->Skill.ListIndex(), 1);
    EXPECT_EQ(f->minSpeed, 4);
    EXPECT_EQ(f->maxSpeed, 16);
    EXPECT_TRUE(f->Skill.Enabled());
}

TEST_F(NewGameTest, SkillInForceIsTheSelectedOne) {
    f->Skill.SetListIndex(2);
    EXPECT_EQ(f->minSpeed, 16);
    EXPECT_EQ(f->maxSpeed, 16);
    f->minSpeed = 3;  // as if a ride had changed it
    f->NewGame();
    EXPECT_EQ(f->minSpeed, 16);
    f->Skill.SetListIndex(0);
    f->NewGame();
    EXPECT_EQ(f->minSpeed, 2);
    EXPECT_EQ(f->maxSpeed, 8);
    EXPECT_EQ(f->Label6.Caption(), "  GEAR: 0/3   DAMAGE: 0%");
}

TEST_F(NewGameTest, IntroScreenArrangement) {
    EXPECT_TRUE(f->Picture4.Visible());
    EXPECT_TRUE(f->Picture1.Visible());
    for (ui::Element* e : {&f->Picture2, &f->Picture6, &f->Picture7, f->Picturex[0], f->Picturex[1], &f->autic,
                           &f->auticl, &f->auticd, &f->sravno, &f->sdesno})
        EXPECT_FALSE(e->Visible()) << e->FullName();
    for (ui::Element* e : f->Picture3) EXPECT_FALSE(e->Visible());
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(f->nemaga[i]->Visible());
        EXPECT_FALSE(f->ometalo[i]->Visible());
    }
    // Positions kept in twips, read in the playfield's pixels.
    EXPECT_EQ(f->Picture6.Container(), &f->Picture1);
    EXPECT_DOUBLE_EQ(f->Picture6.Left(), 96);
    EXPECT_DOUBLE_EQ(f->Picture6.Top(), 112);
    EXPECT_EQ(f->Picture7.Container(), &f->Picture1);
    EXPECT_DOUBLE_EQ(f->Picture7.Left(), 8);
    EXPECT_DOUBLE_EQ(f->Picture7.Top(), 8);
    EXPECT_EQ(f->Picture2.Container(), &f->form);
    EXPECT_DOUBLE_EQ(f->Picture1.Width(), 10240);
    EXPECT_DOUBLE_EQ(f->Picture1.Height(), 7200);
    EXPECT_DOUBLE_EQ(f->Picture4.Width(), 9594.0 / 15);
    for (ui::Element* x : f->Picturex) {
        EXPECT_EQ(x->Container(), &f->Picture1);
        EXPECT_DOUBLE_EQ(x->Left(), 0);
        EXPECT_DOUBLE_EQ(x->Top(), 0);
        EXPECT_DOUBLE_EQ(x->Width(), 640);
        EXPECT_DOUBLE_EQ(x->Height(), 480);
        EXPECT_EQ(x->borderStyle, 0);
    }
    EXPECT_DOUBLE_EQ(f->autic.Left(), 288);
    EXPECT_DOUBLE_EQ(f->autic.Top(), 416);
    EXPECT_DOUBLE_EQ(f->autic.Width(), 32);
    // The menu lies above the playfield.
    const auto& top = f->form.Children();
    EXPECT_GT(std::find(top.begin(), top.end(), &f->Picture2), std::find(top.begin(), top.end(), &f->Picture1));
}

TEST_F(NewGameTest, StatusAndSpeedTextsFromTheFirstNewGame) {
    EXPECT_EQ(f->Label6.Caption(), "  GEAR: 0/4   DAMAGE: 0%");
    EXPECT_EQ(f->sp.Caption(), "100");
    EXPECT_EQ(f->VScrollbar1.Value(), 401);
    EXPECT_EQ(f->tekst.borderStyle, 0);
}

TEST_F(NewGameTest, HelpText) {
    const std::string& text = f->tekst.Caption();
    EXPECT_EQ(text, game::HelpText());
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 6);
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_EQ(text.rfind("       Welcome to Trakmor,\rfreeware by Velbrook.", 0), 0u);
    EXPECT_NE(text.find("\rKeyboard keys are:\r     Q accelerate" + std::string(18, ' ') + "A deaccelerate" +
                        std::string(17, ' ') + "<ESC> game menu\r     K left" + std::string(32, ' ') + "L right\rYou can"),
              std::string::npos);
    EXPECT_NE(text.find("you'll get at least 3% of damage.\rKeyboard"), std::string::npos);
    EXPECT_TRUE(text.ends_with("in game menu.\r  Good luck. Have a fun."));
}

TEST_F(NewGameTest, HitMarksCopiedAtStartUp) {
    EXPECT_EQ(f->nemaga[2]->GetPicture(), f->nemaga[0]->GetPicture());
    EXPECT_EQ(f->nemaga[3]->GetPicture(), f->nemaga[0]->GetPicture());
    EXPECT_EQ(f->ometalo[0]->GetPicture(), f->Image2.GetPicture());
    EXPECT_EQ(f->ometalo[2]->GetPicture(), f->Image1.GetPicture());
}

TEST_F(NewGameTest, DisplayModeRememberedBeforeItIsSet) {
    // The user's mode is read through the screen context before any change is asked for.
    EXPECT_GE(game.display.getDCCalls, 1);
    EXPECT_EQ(game.display.getDCCalls, game.display.releaseDCCalls);
    EXPECT_EQ(f->screen.displayModes[1].dmPelsWidth, 640u);
    EXPECT_EQ(f->screen.displayModes[1].dmBitsPerPel, 32u);
    EXPECT_EQ(f->screen.displayModes[0].dmPelsWidth, 640u);
    EXPECT_EQ(f->screen.displayModes[0].dmBitsPerPel, 16u);
}

TEST_F(NewGameTest, NewGameDuringARideEndsIt) {
    Start();
    f->speed = 8;
    f->damage = 40;
    f->bagCount = 3;
    f->Skill.SetEnabled(true);
    f->Picture2.Show();
    ASSERT_TRUE(game.window.ClickElement(f->Command3));
    EXPECT_EQ(f->gameRunning, game::kFalse);
    EXPECT_EQ(f->speed, 1);
    EXPECT_EQ(f->damage, 0);
    EXPECT_EQ(f->bagCount, 0);
    EXPECT_FALSE(f->Picture2.Visible());
    EXPECT_TRUE(f->Picture4.Visible());
    EXPECT_FALSE(f->autic.Visible());
}

TEST_F(NewGameTest, NewGameAfterGameOver) {
    Start();
    f->damage = 100;
    f->ShowStatus();
    ASSERT_TRUE(f->Picture6.Visible());
    ASSERT_TRUE(game.window.ClickElement(f->Command6));
    EXPECT_FALSE(f->Picture6.Visible());
    EXPECT_EQ(f->damage, 0);
    EXPECT_EQ(f->Label6.Caption(), "  GEAR: 0/4   DAMAGE: 0%");
}

TEST_F(NewGameTest, EachNewGameReseeds) {
    testing_support::ScriptedRandom counting;
    headless::HeadlessGame other(dir.path() / "x.spd");
    other.rng = &counting;
    other.Load();
    EXPECT_EQ(counting.reseeds, 1);
    other.form->NewGame();
    EXPECT_EQ(counting.reseeds, 2);
}

} // namespace
