#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "platform/counter.h"
#include "platform/display_driver.h"
#include "platform/embed_sound.h"
#include "platform/event_pump.h"
#include "platform/file_store.h"
#include "platform/program_exit.h"
#include "platform/random.h"
#include "platform/screen_module.h"
#include "platform/wave_player.h"
#include "ui/element.h"
#include "ui/window.h"

namespace game {

// Thrown by the quit command once its steps are done: the program ends at once,
// from however deep inside the ride loop, a wait and a sound cue the click was
// handled, so every frame between it and main() unwinds without running on.
using QuitProgram = platform::ProgramExit;

// What the game window needs of the machine.
struct Services {
    ui::Window& window;
    platform::Counter& counter;
    platform::DisplayDriver& display;
    platform::WavePlayer& player;
    platform::EventPump& pump;
    platform::Random& random;
    platform::FileStore& files;
    std::filesystem::path settingsFile = "Trakmor_B.spd";
};

class Form1 : public GameState {
public:
    explicit Form1(const Services& services);
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // --- Handlers and routines, by the window's own names.
    void Form_Load();
    void NewGame();
    void ShowStatus();
    void Timer2_timer();
    void BuildRoadScreen(int d);
    void CheckCollisions();
    void DrawSprites();
    void PlayCue(const int16_t& index);
    void form_KeyDown(int16_t keyCode, int16_t shift);
    void Form_KeyUp(int16_t keyCode, int16_t shift);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Skill_Click();
    void VScrollbar1_change();
    void SaveSpeed();
    void LoadSpeed();

    // The frame time the loop waits out, in microseconds.
    double FrameMicroseconds() const { return 50000.0 / (static_cast<double>(speed) * speedFactor); }

    ui::Window& window;
    platform::ScreenModule screen;
    std::array<std::unique_ptr<platform::EmbedSound>, 5> EmbedSound1;

    // --- Elements the game addresses.
    ui::Element& form;
    ui::Element &Picture1, &Picture2, &Picture4, &Picture6, &Picture7;
    ui::Element &Label6, &tekst, &sp;
    ui::Element &Skill, &VScrollbar1, &Timer2;
    ui::Element &Command1, &Command2, &Command3, &Command4, &Command5, &Command6;
    ui::Element &roadbod, &novacamount, &novacabod, &zekoamount, &zekobodi, &totalbod;
    ui::Element &Image1, &Image2, &sravno, &sdesno, &autic, &auticl, &auticd;
    std::array<ui::Element*, 2> Picturex{};
    std::array<ui::Element*, 4> nemaga{};
    std::array<ui::Element*, 4> ometalo{};
    std::array<ui::Element*, 6> Picture3{};

private:
    ui::Element& El(const std::string& name, int index = -1);
    int16_t RoadLeft() const;
    int16_t RoadRight() const;
    void PlaceSprite(ui::Element& sprite);
    void ShowCarSprite(ui::Element& sprite);
    void ApplySkillLimits();
    void MarkCell(int kind, int g, int c);
    void PaintInto(ui::Element& screen, const ui::Element& holder, int x, int y, int w, int h);
    void PaintStraight(ui::Element& screen, int column, int y);
    void DrawScenery(ui::Element& screen, int I, int H);
    int Int(double x) const;
    double rnd();

    platform::Counter& counter_;
    platform::EventPump& pump_;
    platform::Random& random_;
    platform::FileStore& files_;
    std::filesystem::path settingsFile_;
    // Set once the game-over panel of the current ride has been filled.
    bool gameOverDone_ = false;
};

// The help text of the intro panel, set in two steps.
std::string HelpTextHead();
std::string HelpTextTail();
std::string HelpText();

} // namespace game
