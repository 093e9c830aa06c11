#include "app/desktop/sdl_host.h"

#include <algorithm>
#include <cmath>
#include <chrono>
#include <thread>

#include "app/desktop/frame_scale.h"
#include "app/desktop/sdl_presenter.h"
#include "app/desktop/sdl_window_target.h"
#include "app/desktop/window_placement.h"
#include "app/sdl/fullscreen_keys.h"
#include "platform/display_guard.h"

namespace desktop {

SdlHost::SdlHost() {
    // The window's own surface, not a GL texture path: an order of magnitude
    // cheaper per present on software-rendered desktops.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    input_.ToggleFullscreen = [this] { ToggleFullscreen(); };
}

SdlHost::~SdlHost() {
    StopPresenting();
    system_.StopHolding();
    if (system_.Gone()) {
        // SDL closes its second display connection with Xlib's fatal handler
        // back in place, and that connection still holds the errors of its
        // wake-ups sent to the vanished window: leave both to the exit.
        system_.Stop();
        static_cast<void>(window_.release());
        LeaveVideoUp();
        return;
    }
    // Before SDL's video goes down.
    window_.reset();
    system_.Stop();
}

bool SdlHost::Open(const std::string& title) {
    const char* display = SDL_getenv("DISPLAY");
    const std::string server = display && *display ? std::string("the display server at ") + display
                                                   : std::string("the display server");
    {
        const auto guard = system_.GuardStart("no display available (" + server + " does not answer)");
        if (!StartVideo("no display available")) return false;
    }
    // SDL falls back to drivers that show nothing; unless asked for by name,
    // they mean there is no display to play on.
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    if ((!asked || !*asked) && (driver == "offscreen" || driver == "dummy")) {
        error_ = "no display available (set DISPLAY or WAYLAND_DISPLAY to a running desktop)";
        return false;
    }
    // As large as the desktop takes at a whole-number scale, centred on it.
    SDL_Rect usable{0, 0, ui::kScreenWidth, ui::kScreenHeight};
    Area place{SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, ui::kScreenWidth, ui::kScreenHeight};
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0) place = InitialWindow({usable.x, usable.y, usable.w, usable.h});
    if (!OpenWindow(title, place.x, place.y, place.w, place.h, SDL_WINDOW_RESIZABLE, "cannot open the game window"))
        return false;
    SDL_SetWindowMinimumSize(window_.get(), ui::kScreenWidth, ui::kScreenHeight);
    input_.Open(window_.get(), system_.KeyRepeat(window_.get()));
    system_.Start(window_.get());
    return true;
}

void SdlHost::SetIcon(const ui::Picture& picture) {
    if (!window_ || picture.argb.empty()) return;
    const platform::SurfacePtr icon(SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(picture.argb.data()), picture.width, picture.height, 32, picture.width * 4,
        SDL_PIXELFORMAT_ARGB8888));
    if (icon) SDL_SetWindowIcon(window_.get(), icon.get());
}

double SdlHost::RefreshPeriodUs() {
    if (refreshStale_) {
        SDL_DisplayMode mode;
        const int index = window_ ? SDL_GetWindowDisplayIndex(window_.get()) : 0;
        const int hz = SDL_GetCurrentDisplayMode(index < 0 ? 0 : index, &mode) == 0 ? mode.refresh_rate : 0;
        refreshPeriodUs_ = 1e6 / (hz > 0 ? hz : 60);
        refreshStale_ = false;
    }
    return refreshPeriodUs_;
}

void SdlHost::ToggleFullscreen() {
    if (!window_) return;
    const std::optional<Uint32> flags = sdl::ToggledFullscreen(SDL_GetWindowFlags(window_.get()));
    if (!flags) return;  // the game's own display mode stays as it is
    if (beforeFullscreen_ || !system_.HasWindowManager(window_.get())) {
        // SDL asks the window manager for fullscreen; with none there, nobody
        // would answer, and SDL would take the window for as large as the screen.
        if (beforeFullscreen_) {
            SDL_SetWindowPosition(window_.get(), beforeFullscreen_->x, beforeFullscreen_->y);
            SDL_SetWindowSize(window_.get(), beforeFullscreen_->w, beforeFullscreen_->h);
            beforeFullscreen_.reset();
        } else {
            SDL_Rect was{}, screen{};
            SDL_GetWindowPosition(window_.get(), &was.x, &was.y);
            SDL_GetWindowSize(window_.get(), &was.w, &was.h);
            const int index = SDL_GetWindowDisplayIndex(window_.get());
            if (SDL_GetDisplayBounds(index < 0 ? 0 : index, &screen) != 0) return;
            beforeFullscreen_ = was;
            SDL_SetWindowPosition(window_.get(), screen.x, screen.y);
            SDL_SetWindowSize(window_.get(), screen.w, screen.h);
        }
    } else {
        SDL_SetWindowFullscreen(window_.get(), *flags);
    }
    needFullPaint_ = true;
    if (ui_) ui_->MarkDirty();
}

void SdlHost::BeforeEvents() {
    // A window destroyed under the game is closed for it.
    if (platform::QuitRequested() || system_.Gone()) RequestClose();
    system_.BeforeEvents();
}

void SdlHost::Dispatch(const SDL_Event& e) {
    if (e.type == SDL_DISPLAYEVENT ||
        (e.type == SDL_WINDOWEVENT &&
         (e.window.event == SDL_WINDOWEVENT_MOVED || e.window.event == SDL_WINDOWEVENT_DISPLAY_CHANGED ||
          e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)))
        refreshStale_ = true;
    if (!ui_) return;
    if (e.type == SDL_SYSWMEVENT) {
        system_.Notice(e);
        if (system_.Gone()) RequestClose();
        return;
    }
    if (e.type == SDL_WINDOWEVENT &&
        (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
         e.window.event == SDL_WINDOWEVENT_RESIZED)) {
        needFullPaint_ = true;
        ui_->MarkDirty();
    }
    SdlHostBase::Dispatch(e);
}

std::optional<sdl::PicturePoint> SdlHost::ToPicture(int x, int y) const {
    int w = 0, h = 0;
    SDL_GetWindowSize(window_.get(), &w, &h);
    return WindowToPicture(PlacePicture(ui::kScreenWidth, ui::kScreenHeight, w, h), x, y);
}

void SdlHost::Present() {
    if (!window_ || !ui_ || system_.Gone()) return;
    const double start = NowUs();
    if (!presenter_) {
        // Off the game's thread only where the window can be reached without SDL.
        if (std::unique_ptr<FrameTarget> own = system_.OwnTarget(window_.get()))
            presenter_ = std::make_unique<SdlPresenter>(std::move(own), true);
        else
            presenter_ = std::make_unique<SdlPresenter>(std::make_unique<SdlWindowTarget>(window_.get()), false);
    }
    ui_->Compose(presenter_->Back());
    presenter_->HandOver(needFullPaint_);
    needFullPaint_ = false;
    const double end = NowUs();
    handedOverUs_ = end;
    schedule_.HandedOver(start, RefreshPeriodUs());
    presentCost_.Measured(end - start);
    stats_.handOvers += 1;
    stats_.presentUs += end - start;
    if (costLog_) costLog_->push_back(static_cast<float>(end - start));
}

void SdlHost::PresentNow() {
    if (ui_ && ui_->Dirty()) Present();
    if (presenter_) presenter_->Wake();
}

void SdlHost::StopPresenting() { presenter_.reset(); }

SdlHost::Stats SdlHost::GetStats() const {
    Stats s = stats_;
    s.pollUs = margin_.PollUs();
    s.resizesMerged = system_.Merged();
    if (presenter_) {
        s.presents = presenter_->Presents();
        s.presenterUs = presenter_->BusyUs();
        s.gaveWay = presenter_->GaveWay();
    }
    return s;
}

void SdlHost::Sleep(double us) {
    const double start = NowUs();
    std::this_thread::sleep_for(std::chrono::nanoseconds(static_cast<long long>(us * 1000)));
    margin_.Overslept(NowUs() - start - us);
    stats_.sleeps += 1;
}

sdl::WaitStep SdlHost::Serve(double remainingUs) {
    const double entry = NowUs();
    PumpEvents();
    const double nextTimer = ui_ ? ui_->RunDueTimers() : -1;
    const double period = RefreshPeriodUs();
    double now = NowUs();
    const bool dirty = ui_ && ui_->Dirty();
    if (dirty && schedule_.Due(now, period, remainingUs - (now - entry), presentCost_.Us(), margin_.PollUs())) {
        Present();
        now = NowUs();
    }
    const double remaining = remainingUs - (now - entry);
    const double presentIn = ui_ && ui_->Dirty() ? schedule_.dueUs - now : -1;
    const sdl::WaitStep step = sdl::PlanWait(remaining, nextTimer, presentIn, margin_.PollUs());
    // A frame that never sleeps still gets shown, a few milliseconds late.
    if (presenter_ && (step.kind != sdl::WaitStep::Kind::Poll || now - handedOverUs_ >= period / 4))
        presenter_->Wake();
    return step;
}

void SdlHost::Yield(double remainingUs) {
    const sdl::WaitStep step = Serve(remainingUs);
    switch (step.kind) {
    case sdl::WaitStep::Kind::Poll: break;
    case sdl::WaitStep::Kind::Sleep: Sleep(step.us); break;
    case sdl::WaitStep::Kind::WaitEvents:
        // Wakes at once for input, so the player's keys are never held back.
        WaitForEvent(step.ms);
        stats_.sleeps += 1;
        break;
    }
}

void SdlHost::WaitForEvent(int ms) {
    // The event that ends the wait is taken at once. Waited for without one,
    // SDL 2.26 leaves its end-of-poll mark ahead of it, and the next poll would
    // stop there and leave the event for the wait after, a sleep away.
    system_.BeforeEvents();
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, ms)) Dispatch(e);
}

void SdlHost::Spin(double remainingUs) { Serve(remainingUs); }

double SdlHost::PresentWhenIdle(double nowUs) {
    if (ui_ && ui_->Dirty() && nowUs >= schedule_.dueUs) Present();
    if (presenter_) presenter_->Wake();
    return ui_ && ui_->Dirty() ? std::max(0.0, schedule_.dueUs - nowUs) : RefreshPeriodUs();
}

void SdlHost::WaitIdle(double us) {
    if (us >= 1000) WaitForEvent(static_cast<int>(us / 1000));
    else if (us > 0) Sleep(us);
}

} // namespace desktop
