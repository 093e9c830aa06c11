// The desktop on Linux: X11's window watch, resize merging, the presenter's
// own connection, the key repeat and the start-up watchdog.
#include <sys/prctl.h>

#include "app/desktop/desktop_system.h"
#include "app/desktop/display_watchdog.h"
#include "app/desktop/x11_desktop.h"
#include "app/desktop/x11_frame_target.h"
#include "app/desktop/x11_resize_coalescer.h"
#include "app/desktop/x11_window_watch.h"

namespace desktop {

struct DesktopSystem::State {
    X11WindowWatch watch;
    X11ResizeCoalescer resizes;
};

namespace {
class WatchdogGuard final : public DesktopSystem::StartGuard {
public:
    explicit WatchdogGuard(const std::string& message) : watchdog_(kDisplayAnswerLimit, message) {}

private:
    DisplayWatchdog watchdog_;
};
} // namespace

DesktopSystem::DesktopSystem() : state_(std::make_unique<State>()) {
    // Short sleeps then wake within tens of microseconds instead of about 75,
    // so the polled end of each frame can be that much shorter.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}

DesktopSystem::~DesktopSystem() = default;

std::unique_ptr<DesktopSystem::StartGuard> DesktopSystem::GuardStart(const std::string& message) {
    return std::make_unique<WatchdogGuard>(message);
}

void DesktopSystem::Start(SDL_Window* window) {
    state_->watch.Start(window);
    state_->resizes.Start(window);
}

void DesktopSystem::BeforeEvents() { state_->resizes.Release(); }
void DesktopSystem::Notice(const SDL_Event& event) { state_->watch.Notice(event); }
bool DesktopSystem::Gone() const { return state_->watch.Gone(); }
void DesktopSystem::StopHolding() { state_->resizes.Stop(); }
void DesktopSystem::Stop() { state_->watch.Stop(); }
unsigned long DesktopSystem::Merged() const { return state_->resizes.Merged(); }

std::unique_ptr<FrameTarget> DesktopSystem::OwnTarget(SDL_Window* window) { return X11FrameTarget::Open(window); }
sdl::RepeatTiming DesktopSystem::KeyRepeat(SDL_Window* window) { return X11KeyRepeat(window); }
bool DesktopSystem::HasWindowManager(SDL_Window* window) { return X11HasWindowManager(window); }

} // namespace desktop
