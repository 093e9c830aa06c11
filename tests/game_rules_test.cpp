#include "app/sdl/game_rules.h"

#include <string>
#include <vector>

#include "game_fixture.h"
#include "headless/state_access.h"
#include "platform/cue_gate.h"

using testing_support::GameTest;

namespace {

constexpr int kEscape = 27, kQ = 81;

// The state a key or a focus change can touch.
std::vector<std::string> Snapshot(const game::Form1& f) {
    std::vector<std::string> s;
    for (const char* name : {"gameRunning", "speed", "damage", "carX", "steerDirection", "steerKeys", "carXLatest",
                             "carXPrevious", "carGridRow", "bagCount", "rabbitCount"}) {
        s.push_back(std::string(name) + "=" + headless::GetVariable(f, name));
    }
    s.push_back(std::string("menu=") + (f.Picture2.Visible() ? "shown" : "hidden"));
    s.push_back("status=" + f.Label6.Caption());
    s.push_back(std::string("sprites=") + (f.autic.Visible() ? "S" : "") + (f.auticl.Visible() ? "L" : "") +
                (f.auticd.Visible() ? "R" : ""));
    return s;
}

// On a scripted road, so that two games ride the same one.
class FocusLostTest : public GameTest {
protected:
    FocusLostTest() : GameTest(true) {}
};

TEST_F(FocusLostTest, DuringARideItIsAnEscapePress) {
    // Two identical rides: one loses the focus, the other gets Escape.
    testing_support::TempDir otherDir;
    testing_support::ScriptedRandom otherDraws;
    headless::HeadlessGame other(otherDir.path() / "Trakmor_B.spd");
    other.rng = &otherDraws;
    other.Load();
    for (headless::HeadlessGame* g : {&game, &other}) {
        ASSERT_TRUE(g->window.ClickElement(g->form->Command1));
        g->window.OnKeyDown(kQ);
        g->window.OnKeyDown('L');
        g->window.OnKeyUp('L');
    }
    ASSERT_EQ(Snapshot(*f), Snapshot(*other.form));
    ASSERT_GT(f->speed, 1);
    sdl::OnFocusLost(*f);
    other.window.OnKeyDown(kEscape);
    other.window.OnKeyUp(kEscape);
    EXPECT_TRUE(f->Picture2.Visible());
    EXPECT_EQ(f->speed, 1);
    EXPECT_EQ(f->gameRunning, game::kTrue);
    EXPECT_EQ(Snapshot(*f), Snapshot(*other.form));
}

TEST_F(FocusLostTest, ChangesNothingElse) {
    // The intro panel.
    auto before = Snapshot(*f);
    sdl::OnFocusLost(*f);
    EXPECT_EQ(Snapshot(*f), before);
    // The menu already open: it stays open (Escape would close it).
    Start();
    Key(kEscape);
    ASSERT_TRUE(f->Picture2.Visible());
    before = Snapshot(*f);
    sdl::OnFocusLost(*f);
    EXPECT_EQ(Snapshot(*f), before);
    // After game over the menu does not open either.
    Key(kEscape);
    f->damage = 100;
    f->ShowStatus();
    ASSERT_EQ(f->gameRunning, 0);
    before = Snapshot(*f);
    sdl::OnFocusLost(*f);
    EXPECT_EQ(Snapshot(*f), before);
}

TEST_F(FocusLostTest, ButtonsAreInFrontOnTheIntroTheMenuAndTheScorePanel) {
    EXPECT_TRUE(sdl::ButtonsInFront(*f));
    Start();
    EXPECT_FALSE(sdl::ButtonsInFront(*f));
    Key(kEscape);
    EXPECT_TRUE(sdl::ButtonsInFront(*f));
    Key(kEscape);
    EXPECT_FALSE(sdl::ButtonsInFront(*f));
    f->damage = 100;
    f->ShowStatus();
    EXPECT_TRUE(sdl::ButtonsInFront(*f));
}

TEST(CueGateTest, NoCueStartsWhileMinimised) {
    headless::SilentWavePlayer player;
    platform::CueGate gate(player);
    const uint8_t wav[4] = {'R', 'I', 'F', 'F'};
    EXPECT_TRUE(gate.PlaySoundA(wav, 4, platform::SND_ASYNC));
    gate.SetMinimised(true);
    EXPECT_FALSE(gate.PlaySoundA(wav, 4, platform::SND_ASYNC));
    EXPECT_FALSE(gate.PlaySoundA(wav, 4, 0));
    // Stopping a sound still reaches the player.
    gate.PlaySoundA(nullptr, 0, platform::SND_ASYNC);
    gate.SetMinimised(false);
    EXPECT_TRUE(gate.PlaySoundA(wav, 4, platform::SND_NOSTOP));
    ASSERT_EQ(player.calls.size(), 3u);
    EXPECT_EQ(player.calls[0].image, wav);
    EXPECT_EQ(player.calls[1].image, nullptr);
    EXPECT_EQ(player.calls[2].flags, platform::SND_NOSTOP);
}

} // namespace
