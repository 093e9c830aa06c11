#include "app/sdl/sdl_input.h"
#include "posix_env.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Seen {
    bool down;
    int code;
    int16_t shift;
    bool operator==(const Seen&) const = default;
};

// SDL's dummy video driver and a virtual pad: the real SDL path with no display or hardware.
class SdlInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* before = std::getenv("SDL_VIDEODRIVER")) previousDriver_ = before;
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        // No window of a test has the keyboard focus, which SDL wants for pad events.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        if (SDL_Init(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "no SDL video: " << SDL_GetError();
        window_.reset(SDL_CreateWindow("trakmor test", 0, 0, 640, 480, SDL_WINDOW_RESIZABLE));
        ASSERT_NE(window_, nullptr) << SDL_GetError();
        input.emplace();
        input->Open(window_.get(), {});
        ui.KeyPreview = true;
        ui.KeyDown = [this](int16_t code, int16_t shift) { seen.push_back({true, code, shift}); };
        ui.KeyUp = [this](int16_t code, int16_t shift) { seen.push_back({false, code, shift}); };
        input->Attach(ui);
    }
    void TearDown() override {
        if (pad_ >= 0) SDL_JoystickDetachVirtual(pad_);
        input.reset();
        window_.reset();
        SDL_Quit();
        SDL_ResetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS);
        if (previousDriver_) setenv("SDL_VIDEODRIVER", previousDriver_->c_str(), 1);
        else unsetenv("SDL_VIDEODRIVER");
    }
    // Everything SDL has for us, handled as the window's loop does.
    std::vector<Seen> Pump() {
        seen.clear();
        SDL_Event e;
        while (SDL_PollEvent(&e)) input->Handle(e, now);
        input->Tick(now);
        return seen;
    }
    void PushKey(bool down, SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod = KMOD_NONE) {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.type = e.type;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.scancode = scancode;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        e.key.windowID = SDL_GetWindowID(window_.get());
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    void PushWindow(SDL_WindowEventID id) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = id;
        e.window.windowID = SDL_GetWindowID(window_.get());
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    Uint32 FullscreenFlags() const { return SDL_GetWindowFlags(window_.get()) & SDL_WINDOW_FULLSCREEN_DESKTOP; }
    void PlugPad() {
        pad_ = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                         SDL_CONTROLLER_BUTTON_MAX, 0);
        ASSERT_GE(pad_, 0) << SDL_GetError();
        Pump();
        padStick_ = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(pad_));
        ASSERT_NE(padStick_, nullptr) << "the pad was not opened";
    }
    void Button(SDL_GameControllerButton b, bool down) {
        ASSERT_EQ(SDL_JoystickSetVirtualButton(padStick_, b, down ? SDL_PRESSED : SDL_RELEASED), 0);
    }
    void Axis(SDL_GameControllerAxis a, Sint16 v) { ASSERT_EQ(SDL_JoystickSetVirtualAxis(padStick_, a, v), 0); }

    std::optional<sdl::SdlInput> input;
    ui::Window ui;
    std::vector<Seen> seen;
    double now = 1000;
    platform::WindowPtr window_;
    int pad_ = -1;
    SDL_Joystick* padStick_ = nullptr;
    std::optional<std::string> previousDriver_;
};

TEST_F(SdlInputTest, EveryKeyWithACodeReachesTheGame) {
    PushKey(true, SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON);
    PushKey(false, SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON);
    PushKey(true, SDL_SCANCODE_KP_5, SDLK_KP_5, KMOD_NUM);
    PushKey(true, SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK);
    PushKey(true, SDL_SCANCODE_LGUI, SDLK_LGUI);
    PushKey(true, SDL_SCANCODE_K, SDLK_k, KMOD_LSHIFT);
    PushKey(true, SDL_SCANCODE_PRINTSCREEN, SDLK_PRINTSCREEN);  // no code: dropped
    PushKey(false, SDL_SCANCODE_PRINTSCREEN, SDLK_PRINTSCREEN);
    EXPECT_EQ(Pump(), (std::vector<Seen>{{true, 186, 0}, {false, 186, 0}, {true, 101, 0}, {true, 20, 0},
                                         {true, 91, 0}, {true, 'K', 1}}));
}

TEST_F(SdlInputTest, F11AndAltEnterSwitchFullscreenUnseenByTheGame) {
    ASSERT_EQ(FullscreenFlags(), 0u);
    PushKey(true, SDL_SCANCODE_F11, SDLK_F11);
    PushKey(false, SDL_SCANCODE_F11, SDLK_F11);
    EXPECT_EQ(Pump(), std::vector<Seen>{});
    EXPECT_EQ(FullscreenFlags(), static_cast<Uint32>(SDL_WINDOW_FULLSCREEN_DESKTOP));
    PushKey(true, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT);
    PushKey(true, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT);
    PushKey(false, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT);
    PushKey(false, SDL_SCANCODE_LALT, SDLK_LALT);
    EXPECT_EQ(Pump(), (std::vector<Seen>{{true, 18, 4}, {false, 18, 0}}));
    EXPECT_EQ(FullscreenFlags(), 0u);
    // The game's own display mode is left as it is.
    SDL_SetWindowFullscreen(window_.get(), SDL_WINDOW_FULLSCREEN);
    PushKey(true, SDL_SCANCODE_F11, SDLK_F11);
    PushKey(false, SDL_SCANCODE_F11, SDLK_F11);
    Pump();
    EXPECT_EQ(FullscreenFlags(), static_cast<Uint32>(SDL_WINDOW_FULLSCREEN));
    // A front end with a fullscreen of its own is asked instead.
    int asked = 0;
    input->ToggleFullscreen = [&] { ++asked; };
    PushKey(true, SDL_SCANCODE_F11, SDLK_F11);
    PushKey(false, SDL_SCANCODE_F11, SDLK_F11);
    EXPECT_EQ(Pump(), std::vector<Seen>{});
    EXPECT_EQ(asked, 1);
}

TEST_F(SdlInputTest, FocusAndMinimisingAreReported) {
    Pump();  // the window's own first events
    int lost = 0;
    std::vector<bool> minimised;
    input->FocusLost = [&] { ++lost; };
    input->Minimised = [&](bool m) { minimised.push_back(m); };
    PushWindow(SDL_WINDOWEVENT_FOCUS_GAINED);
    PushWindow(SDL_WINDOWEVENT_FOCUS_LOST);
    PushWindow(SDL_WINDOWEVENT_MINIMIZED);
    PushWindow(SDL_WINDOWEVENT_RESTORED);
    Pump();
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(minimised, (std::vector<bool>{true, false}));
}

TEST_F(SdlInputTest, AVirtualPadPluggedInPlaysAndLetsGoWhenPulled) {
    bool panel = false;
    input->ButtonsInFront = [&] { return panel; };
    ASSERT_EQ(input->PadCount(), 0u);
    PlugPad();
    EXPECT_EQ(input->PadCount(), 1u);
    Button(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(Pump(), (std::vector<Seen>{{true, 'Q', 0}}));
    Button(SDL_CONTROLLER_BUTTON_A, false);
    Button(SDL_CONTROLLER_BUTTON_START, true);
    EXPECT_EQ(Pump(), (std::vector<Seen>{{false, 'Q', 0}, {true, 27, 0}}));
    Button(SDL_CONTROLLER_BUTTON_START, false);
    Pump();
    panel = true;
    Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    EXPECT_EQ(Pump(), (std::vector<Seen>{{true, 9, 0}}));
    Button(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_EQ(Pump(), (std::vector<Seen>{{true, 32, 0}}));
    Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
    Button(SDL_CONTROLLER_BUTTON_A, false);
    Pump();
    panel = false;
    Axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
    EXPECT_EQ(Pump(), (std::vector<Seen>{{true, 'K', 0}, {true, 'A', 0}}));
    now += input->Repeat().delayMs;
    EXPECT_EQ(Pump(), (std::vector<Seen>{{true, 'K', 0}}));
    // Pulled out while held: the game sees the releases.
    ASSERT_EQ(SDL_JoystickDetachVirtual(pad_), 0);
    pad_ = -1;
    std::vector<Seen> released = Pump();
    std::sort(released.begin(), released.end(), [](const Seen& a, const Seen& b) { return a.code < b.code; });
    EXPECT_EQ(released, (std::vector<Seen>{{false, 'A', 0}, {false, 'K', 0}}));
    EXPECT_EQ(input->PadCount(), 0u);
    now += 5000;
    EXPECT_EQ(Pump(), std::vector<Seen>{});
}

TEST_F(SdlInputTest, LosingTheFocusLetsGoOfThePad) {
    PlugPad();
    Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    EXPECT_EQ(Pump(), (std::vector<Seen>{{true, 'L', 0}}));
    PushWindow(SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_EQ(Pump(), (std::vector<Seen>{{false, 'L', 0}}));
    Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
    now += 5000;
    EXPECT_EQ(Pump(), std::vector<Seen>{});
}

} // namespace
