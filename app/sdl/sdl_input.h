#pragma once
#include <SDL.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/sdl/fullscreen_keys.h"
#include "app/sdl/gamepad.h"
#include "platform/sdl/sdl_ptrs.h"
#include "ui/window.h"

namespace sdl {

// The player's side of the window: keys, gamepads (plugged in and out while the
// game runs), the fullscreen keys, and what the window's focus and minimising
// mean for the game.
class SdlInput {
public:
    SdlInput();
    ~SdlInput();
    SdlInput(const SdlInput&) = delete;
    SdlInput& operator=(const SdlInput&) = delete;

    // Starts listening for pads; held pad controls repeat at `repeat`, the
    // desktop's key repeat where the front end knows it.
    void Open(SDL_Window* window, RepeatTiming repeat);
    void Attach(ui::Window& window) { ui_ = &window; }

    // The window lost the keyboard focus.
    std::function<void()> FocusLost;
    // The window was minimised (true) or shown again (false).
    std::function<void(bool)> Minimised;
    // Whether a panel with buttons is in front, so the d-pad moves the focus.
    std::function<bool()> ButtonsInFront;
    // Called after each round of events, with the time.
    std::function<void(double nowMs)> AfterEvents;
    // F11 and Alt+Enter; without it, SDL's own switch to desktop fullscreen.
    std::function<void()> ToggleFullscreen;

    // Takes the events it knows; false for the others.
    bool Handle(const SDL_Event& e, double nowMs);
    // Repeats of held pad controls that are due.
    void Tick(double nowMs);

    size_t PadCount() const { return pads_.size(); }
    const RepeatTiming& Repeat() const { return repeat_; }

private:
    void Key(const SDL_KeyboardEvent& key);
    void Pad(const SDL_Event& e, double nowMs);
    void Send(std::vector<KeyStroke>& strokes);
    void SwitchFullscreen();

    ui::Window* ui_ = nullptr;
    SDL_Window* window_ = nullptr;
    bool padsReady_ = false;
    FullscreenKeys fullscreen_;
    RepeatTiming repeat_;
    GamepadKeys padKeys_;
    std::map<SDL_JoystickID, platform::GameControllerPtr> pads_;
};

} // namespace sdl
