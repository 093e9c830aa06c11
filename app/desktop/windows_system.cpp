// The desktop on Windows. The game's window is SDL's own Win32 window, and
// what X11 needs of the desktop front end does not arise here: the system
// lets only the thread that made a window destroy it, its window messages
// come to SDL's window procedure rather than down a connection a resize can
// flood, and a window manager always answers. SDL's window surface is the
// one way to the screen, so frames are shown on the game's thread. What
// Windows needs instead is a finer timer tick for the game's whole life.
#include <windows.h>

#include "app/desktop/desktop_system.h"
#include "app/desktop/windows_keyboard.h"
#include "platform/windows/timer_resolution.h"

namespace desktop {

struct DesktopSystem::State {
    platform::TimerResolution tick;
};

DesktopSystem::DesktopSystem() : state_(std::make_unique<State>()) {}
DesktopSystem::~DesktopSystem() = default;

// A window station always answers; SDL's start cannot hang on it.
std::unique_ptr<DesktopSystem::StartGuard> DesktopSystem::GuardStart(const std::string&) { return nullptr; }

void DesktopSystem::Start(SDL_Window*) {}
void DesktopSystem::BeforeEvents() {}
void DesktopSystem::Notice(const SDL_Event&) {}
bool DesktopSystem::Gone() const { return false; }
void DesktopSystem::StopHolding() {}
void DesktopSystem::Stop() {}
unsigned long DesktopSystem::Merged() const { return 0; }

std::unique_ptr<FrameTarget> DesktopSystem::OwnTarget(SDL_Window*) { return nullptr; }

sdl::RepeatTiming KeyboardRepeat(int delaySetting, unsigned speedSetting, sdl::RepeatTiming fallback) {
    sdl::RepeatTiming timing = fallback;
    if (delaySetting >= 0 && delaySetting <= 3) timing.delayMs = 250.0 * (delaySetting + 1);
    if (speedSetting <= 31) timing.intervalMs = 1000.0 / (2.5 + speedSetting * (30.0 - 2.5) / 31);
    return timing;
}

sdl::RepeatTiming DesktopSystem::KeyRepeat(SDL_Window*) {
    int delay = -1;
    DWORD speed = 32;
    if (!SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0)) delay = -1;
    if (!SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &speed, 0)) speed = 32;
    return KeyboardRepeat(delay, speed);
}

bool DesktopSystem::HasWindowManager(SDL_Window*) { return true; }

} // namespace desktop
