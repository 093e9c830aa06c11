#pragma once
#include <SDL.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/desktop/fullscreen_keys.h"
#include "app/desktop/gamepad.h"
#include "ui/window.h"

namespace desktop {

// The player's side of the window: keys, gamepads (plugged in and out while the
// game runs), the fullscreen keys, and what the window's focus and minimising
// mean for the game.
class SdlInput {
public:
    SdlInput();
    ~SdlInput();
    SdlInput(const SdlInput&) = delete;
    SdlInput& operator=(const SdlInput&) = delete;

    // Starts listening for pads and reads the desktop's key repeat for them.
    void Open(SDL_Window* window);
    void Attach(ui::Window& window) { ui_ = &window; }

    // The window lost the keyboard focus.
    std::function<void()> FocusLost;
    // The window was minimised (true) or shown again (false).
    std::function<void(bool)> Minimised;
    // Whether a panel with buttons is in front, so the d-pad moves the focus.
    std::function<bool()> ButtonsInFront;
    // Called after each round of events, with the time.
    std::function<void(double nowMs)> AfterEvents;

    // Takes the events it knows; false for the others.
    bool Handle(const SDL_Event& e, double nowMs);
    // Repeats of held pad controls that are due.
    void Tick(double nowMs);
    void ToggleFullscreen();

    size_t PadCount() const { return pads_.size(); }
    const RepeatTiming& Repeat() const { return repeat_; }

private:
    struct PadCloser {
        void operator()(SDL_GameController* c) const { SDL_GameControllerClose(c); }
    };
    void Key(const SDL_KeyboardEvent& key);
    void Pad(const SDL_Event& e, double nowMs);
    void Send(std::vector<KeyStroke>& strokes);

    ui::Window* ui_ = nullptr;
    SDL_Window* window_ = nullptr;
    bool padsReady_ = false;
    FullscreenKeys fullscreen_;
    RepeatTiming repeat_;
    GamepadKeys padKeys_;
    std::map<SDL_JoystickID, std::unique_ptr<SDL_GameController, PadCloser>> pads_;
};

// The desktop's key repeat delay and rate where the desktop tells them (X11);
// `fallback` elsewhere.
RepeatTiming DesktopKeyRepeat(SDL_Window* window, RepeatTiming fallback = {});

} // namespace desktop
