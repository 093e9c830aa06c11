#pragma once
#include <SDL.h>

#include <memory>
#include <string>

#include "app/desktop/frame_target.h"
#include "app/sdl/gamepad.h"

namespace desktop {

// What the desktop's own system adds to SDL's window, or asks of it: X11 on
// Linux (x11_system.cpp), Win32 on Windows (windows_system.cpp). The build
// picks one; SdlHost holds one for its lifetime.
class DesktopSystem {
public:
    DesktopSystem();  // on the game's thread, before SDL starts
    ~DesktopSystem();
    DesktopSystem(const DesktopSystem&) = delete;
    DesktopSystem& operator=(const DesktopSystem&) = delete;

    // Guards SDL's start (from construction until the guard goes) against a
    // display that never answers; `message` ends the program if it comes to that.
    class StartGuard {
    public:
        virtual ~StartGuard() = default;
    };
    std::unique_ptr<StartGuard> GuardStart(const std::string& message);

    // Once the window is open, until Stop().
    void Start(SDL_Window* window);
    // Before SDL reads events; and each event SDL reports of the system's own.
    void BeforeEvents();
    void Notice(const SDL_Event& event);
    // Whether the system destroyed the window under the game.
    bool Gone() const;
    // Stops holding back events (before the window goes) ...
    void StopHolding();
    // ... and, once it has gone, stops watching it.
    void Stop();
    // Window events merged before the game saw them, for the benchmark.
    unsigned long Merged() const;

    // A target the presenting thread may draw on without SDL; null where only
    // SDL's window surface shows the frame.
    std::unique_ptr<FrameTarget> OwnTarget(SDL_Window* window);
    sdl::RepeatTiming KeyRepeat(SDL_Window* window);
    // Whether someone answers a request for fullscreen.
    bool HasWindowManager(SDL_Window* window);

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace desktop
