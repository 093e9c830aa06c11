// The desktop on Windows. The window lives in SDL's own Win32 window: the
// system destroys no window under a program, merges its own resize messages
// and always has its window manager, so the game's thread shows the frames
// through SDL's window surface. What Windows needs instead is a finer timer
// tick for the game's whole life.
#include <windows.h>

#include "app/desktop/desktop_system.h"
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

sdl::RepeatTiming DesktopSystem::KeyRepeat(SDL_Window*) {
    // The keyboard's settings in the control panel: a delay of 0..3 for
    // 250..1000 ms, a speed of 0..31 for about 2.5..30 repeats a second.
    int delay = 0;
    DWORD speed = 0;
    sdl::RepeatTiming timing;
    if (SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0) && delay >= 0 && delay <= 3)
        timing.delayMs = 250.0 * (delay + 1);
    if (SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &speed, 0) && speed <= 31)
        timing.intervalMs = 1000.0 / (2.5 + speed * (30.0 - 2.5) / 31);
    return timing;
}

bool DesktopSystem::HasWindowManager(SDL_Window*) { return true; }

} // namespace desktop
