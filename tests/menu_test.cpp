#include <fstream>
#include <string>
#include <vector>

#include "game_fixture.h"

using testing_support::GameTest;

namespace {

constexpr int kEscape = 27, kQ = 81;

class MenuTest : public GameTest {
protected:
    // Runs a click that ends the program; returns its exit status, or -1 when
    // it did not end it.
    int ClickToQuit(ui::Element& button) {
        try {
            EXPECT_TRUE(game.window.ClickElement(button)) << button.FullName();
        } catch (const game::QuitProgram& quit) {
            return quit.exitStatus;
        }
        return -1;
    }
    void ExpectQuitSequenceDone(size_t callsBefore) {
        EXPECT_EQ(f->gameRunning, game::kFalse);
        ASSERT_EQ(game.player.calls.size(), callsBefore + 5);
        for (size_t i = callsBefore; i < game.player.calls.size(); ++i)
            EXPECT_EQ(game.player.calls[i].image, nullptr) << "call " << i;
        EXPECT_FALSE(f->Timer2.Enabled());
        EXPECT_EQ(f->frameTimer, nullptr);
        // The display is back in the user's own mode.
        const auto restores = game.display.ChangesWith(platform::CDS_FULLSCREEN);
        ASSERT_FALSE(restores.empty());
        EXPECT_EQ(restores.back().mode.dmBitsPerPel, 32u);
        EXPECT_EQ(game.display.current.bits, 32u);
        EXPECT_EQ(game.display.current.width, 640u);
        EXPECT_EQ(game.display.current.rate, 60u);
    }
};

TEST_F(MenuTest, QuitFromTheIntroPanel) {
    ASSERT_EQ(game.display.current.bits, 16u);
    const size_t calls = game.player.calls.size();
    EXPECT_EQ(ClickToQuit(f->Command5), 0);
    ExpectQuitSequenceDone(calls);
}

TEST_F(MenuTest, QuitFromTheMenuInARide) {
    Start();
    Key(kEscape);
    ASSERT_TRUE(f->Picture2.Shown());
    const size_t calls = game.player.calls.size();
    EXPECT_EQ(ClickToQuit(f->Command4), 0);
    ExpectQuitSequenceDone(calls);
}

TEST_F(MenuTest, QuitDoesNotSaveTheSpeed) {
    f->Picture2.Show();
    f->VScrollbar1.SetValue(1);
    EXPECT_EQ(ClickToQuit(f->Command4), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Trakmor_B.spd"));
}

TEST(MenuInALoop, QuitEndsTheProgramFromInsideTheRide) {
    testing_support::TempDir dir;
    headless::HeadlessGame game(dir.path() / "Trakmor_B.spd");
    game.Load();
    game::Form1& f = *game.form;
    testing_support::Script script(game);
    bool ranAfterQuit = false;
    size_t calls = 0;
    script.Do([&] { EXPECT_TRUE(f.window.ClickElement(f.Command1)); })
        .Wait(75000)
        .Do([&] {
            f.window.OnKeyDown(kQ);
            f.window.OnKeyDown(kEscape);
            calls = game.player.calls.size();
        })
        .Wait(5000)
        .Do([&] { EXPECT_TRUE(f.window.ClickElement(f.Command4)); })
        .Do([&] { ranAfterQuit = true; });
    EXPECT_EQ(script.PlayToQuit(), 0);
    EXPECT_FALSE(ranAfterQuit);
    EXPECT_EQ(f.gameRunning, game::kFalse);
    EXPECT_EQ(f.frameTimer, nullptr);
    ASSERT_EQ(game.player.calls.size(), calls + 5);
    EXPECT_EQ(game.display.current.bits, 32u);
}

TEST(MenuInALoop, NewGameEndsTheRideAndItsLoop) {
    testing_support::TempDir dir;
    headless::HeadlessGame game(dir.path() / "Trakmor_B.spd");
    testing_support::ScriptedRandom straight;
    straight.fallback = 0.4;
    game.rng = &straight;
    game.Load();
    game::Form1& f = *game.form;
    testing_support::Script script(game);
    script.Do([&] { EXPECT_TRUE(f.window.ClickElement(f.Command1)); })
        .Wait(75000)
        .Do([&] {
            f.window.OnKeyDown(kQ);
            f.window.OnKeyDown(kEscape);
        })
        .Wait(5000)
        .Do([&] {
            EXPECT_TRUE(f.window.ClickElement(f.Command3));
            EXPECT_EQ(f.gameRunning, game::kFalse);
            EXPECT_TRUE(f.Picture4.Visible());
            EXPECT_FALSE(f.Picture2.Visible());
            EXPECT_TRUE(f.Skill.Enabled());
        })
        .Wait(100000)
        .Do([&] {
            // The loop has left: its last pass only started the frame timer.
            EXPECT_EQ(f.frameTimer->TimeElapsed(1000000), 0);
            f.gameRunning = game::kTrue;
            f.speed = 4;
        })
        .Wait(100000)
        .Do([&] {
            EXPECT_DOUBLE_EQ(f.Picturex[0]->Top(), 0);
            EXPECT_DOUBLE_EQ(f.Picturex[1]->Top(), 0);
        });
    EXPECT_EQ(script.Play(), 0);
}

TEST_F(MenuTest, SkillSetsTheGearLimitsOnly) {
    struct Case {
        int index;
        int16_t min, max;
    };
    f->speed = 8;
    for (Case c : {Case{0, 2, 8}, Case{2, 16, 16}, Case{1, 4, 16}}) {
        ASSERT_TRUE(game.window.SelectItem(f->Skill, c.index));
        EXPECT_EQ(f->Skill.ListIndex(), c.index);
        EXPECT_EQ(f->minSpeed, c.min) << c.index;
        EXPECT_EQ(f->maxSpeed, c.max) << c.index;
    }
    EXPECT_EQ(f->speed, 8);
    // An index outside the first two is taken as Hard.
    f->Skill.SetListIndex(-1);
    EXPECT_EQ(f->minSpeed, 16);
    EXPECT_EQ(f->maxSpeed, 16);
    f->Skill.SetListIndex(1);
    f->Skill.AddItem("Expert");
    f->Skill.SetListIndex(3);
    EXPECT_EQ(f->minSpeed, 16);
    EXPECT_EQ(f->maxSpeed, 16);
}

TEST_F(MenuTest, SkillIsLockedFromStartUntilTheNextNewGame) {
    Start();
    EXPECT_FALSE(game.window.SelectItem(f->Skill, 0));
    EXPECT_EQ(f->Skill.ListIndex(), 1);
    f->damage = 100;
    f->ShowStatus();
    EXPECT_FALSE(f->Skill.Enabled());
    ASSERT_TRUE(game.window.ClickElement(f->Command6));
    EXPECT_TRUE(f->Skill.Enabled());
    EXPECT_TRUE(game.window.SelectItem(f->Skill, 0));
    EXPECT_EQ(f->minSpeed, 2);
}

TEST_F(MenuTest, HardRideGoesStraightToTopGear) {
    ASSERT_TRUE(game.window.SelectItem(f->Skill, 2));
    Start();
    Key(kQ);
    EXPECT_EQ(f->speed, 16);
    Key(65);
    EXPECT_EQ(f->speed, 16);
}

TEST_F(MenuTest, SpeedSpinnerEnds) {
    Start();
    Key(kEscape);
    ui::Element& bar = f->VScrollbar1;
    ASSERT_TRUE(game.window.ClickScrollArrow(bar, true));
    EXPECT_EQ(bar.Value(), 400);
    EXPECT_EQ(f->sp.Caption(), "101");
    EXPECT_DOUBLE_EQ(f->speedFactor, 1.01);

    bar.SetValue(2);
    ASSERT_TRUE(game.window.ClickScrollArrow(bar, true));
    EXPECT_EQ(bar.Value(), 1);
    EXPECT_EQ(f->sp.Caption(), "500");
    EXPECT_DOUBLE_EQ(f->speedFactor, 5.0);
    game.window.ClickScrollArrow(bar, true);
    EXPECT_EQ(bar.Value(), 1);
    EXPECT_EQ(f->sp.Caption(), "500");

    bar.SetValue(499);
    ASSERT_TRUE(game.window.ClickScrollArrow(bar, false));
    EXPECT_EQ(bar.Value(), 500);
    EXPECT_EQ(f->sp.Caption(), "1");
    EXPECT_DOUBLE_EQ(f->speedFactor, 0.01);
    game.window.ClickScrollArrow(bar, false);
    EXPECT_EQ(bar.Value(), 500);
    EXPECT_DOUBLE_EQ(f->FrameMicroseconds(), 5000000);
}

TEST_F(MenuTest, NewRideUsesTheSavedSpeedNotTheUnsavedOne) {
    Start();
    Key(kEscape);
    f->VScrollbar1.SetValue(301);  // speed 200
    ASSERT_TRUE(game.window.ClickElement(f->Command2));
    f->VScrollbar1.SetValue(1);  // speed 500, never saved
    ASSERT_TRUE(game.window.ClickElement(f->Command3));
    EXPECT_EQ(f->VScrollbar1.Value(), 301);
    EXPECT_EQ(f->sp.Caption(), "200");
    Start();
    EXPECT_DOUBLE_EQ(f->speedFactor, 2.0);
    EXPECT_DOUBLE_EQ(f->FrameMicroseconds(), 25000);
}

TEST_F(MenuTest, MenuNewGameShowsTheIntroWithScoresCleared) {
    Start();
    f->bagPoints = 9;
    f->damage = 30;
    f->roadScore = 12;
    Key(kEscape);
    ASSERT_TRUE(game.window.ClickElement(f->Command3));
    EXPECT_TRUE(f->Picture4.Visible());
    EXPECT_FALSE(f->Picture2.Visible());
    EXPECT_FALSE(f->Picture7.Visible());
    EXPECT_EQ(f->bagPoints, 0);
    EXPECT_EQ(f->damage, 0);
    EXPECT_EQ(f->roadScore, 0);
    EXPECT_EQ(f->gameRunning, game::kFalse);
}

// The speed spinner's arrows held in the menu of a ride, on the headless clock:
// a press steps at once, after 500 ms again and then every 50 ms, each step
// through the change handler, until the release or the end of the range; off
// the arrow it holds, back on it goes on at the press's beat.
TEST_F(MenuTest, AHeldSpinnerArrowRepeatsWhileThePointerIsOnIt) {
    Start();
    Key(kEscape);
    ui::Element& bar = f->VScrollbar1;
    const int x = bar.AbsLeftPx() + 8, up = bar.AbsTopPx() + 4, down = up + 8;
    std::vector<int> shown;  // the speed each step shows
    bar.Change = [&, change = bar.Change] { change(), shown.push_back(std::stoi(f->sp.Caption())); };
    using W = ui::Window;
    struct Move {
        void (W::*event)(int, int);
        int x, y;
        double thenMs;
    };
    struct Hold {
        int from;
        std::vector<Move> moves;
        int to;
    };
    const int saveX = f->Command2.AbsLeftPx() + 9;
    testing_support::Script script(game);
    const std::vector<Hold> holds = {
        {401, {{&W::OnMouseDown, x, up, 499}, {&W::OnMouseUp, x, up, 1000}}, 400},
        {401, {{&W::OnMouseDown, x, up, 501}, {&W::OnMouseUp, x, up, 1000}}, 399},
        {401, {{&W::OnMouseDown, x, up, 3020}, {&W::OnMouseUp, x, up, 1000}}, 349},  // the press and 51 repeats
        {401, {{&W::OnMouseDown, x, down, 3020}, {&W::OnMouseUp, x, down, 1000}}, 453},
        {10, {{&W::OnMouseDown, x, up, 3020}, {&W::OnMouseUp, x, up, 0}}, 1},
        {495, {{&W::OnMouseDown, x, down, 3020}, {&W::OnMouseUp, x, down, 0}}, 500},
        {401, {{&W::OnMouseDown, x, up, 620}, {&W::OnMouseMove, x, down, 900}, {&W::OnMouseMove, x, up, 500},
         {&W::OnMouseUp, x, up, 0}}, 387},
        {401, {{&W::OnMouseDown, x, up, 620}, {&W::OnMouseMove, -1, -1, 900}, {&W::OnMouseMove, x, up + 1, 500},
         {&W::OnMouseUp, -1, -1, 0}}, 387},
        {401, {{&W::OnMouseDown, x, up, 620}, {&W::OnMouseMove, saveX, up, 900}, {&W::OnMouseUp, saveX, up, 0}},
         397}};
    for (const Hold& h : holds) {
        script.Do([&, &h = h] { bar.SetValue(h.from), shown.clear(); });
        for (const Move& m : h.moves)
            script.Do([&, &m = m] { (game.window.*m.event)(m.x, m.y); }).Wait(m.thenMs * 1000);
        script.Do([&, &h = h] {
            std::vector<int> speeds;
            for (int v = h.from; v != h.to;) speeds.push_back(501 - (v += h.to < h.from ? -1 : 1));
            EXPECT_EQ(shown, speeds) << "from " << h.from << " to " << h.to;
        });
    }
    script.Play();
}

} // namespace
