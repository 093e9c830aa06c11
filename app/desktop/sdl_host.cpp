#include "app/desktop/sdl_host.h"

#include <sys/prctl.h>

#include <algorithm>
#include <cmath>
#include <ctime>

#include "app/desktop/display_watchdog.h"
#include "app/desktop/frame_scale.h"
#include "app/desktop/sdl_presenter.h"
#include "app/desktop/sdl_window_target.h"
#include "app/desktop/window_placement.h"
#include "app/desktop/x11_frame_target.h"
#include "platform/display_guard.h"

namespace platform {

namespace {

// The picture pixel under a point of the window, or none in the border around it.
std::optional<PicturePoint> InPicture(SDL_Window* window, int x, int y) {
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    return WindowToPicture(PlacePicture(ui::kScreenWidth, ui::kScreenHeight, w, h), x, y);
}

} // namespace

SdlHost::SdlHost() {
    // The window's own surface, not a GL texture path: an order of magnitude
    // cheaper per present on software-rendered desktops.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    frequency_ = static_cast<double>(SDL_GetPerformanceFrequency());
    // Short sleeps then wake within tens of microseconds instead of about 75,
    // so the polled end of each frame can be that much shorter.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}

SdlHost::~SdlHost() {
    StopPresenting();
    resizes_.Stop();
    if (watch_.Gone()) {
        // SDL closes its second display connection with Xlib's fatal handler
        // back in place, and that connection still holds the errors of its
        // wake-ups sent to the vanished window: leave both to the exit.
        watch_.Stop();
        static_cast<void>(window_.release());
        return;
    }
    // Before SDL's video goes down.
    window_.reset();
    watch_.Stop();
    if (videoReady_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlHost::Open(const std::string& title) {
    const char* display = SDL_getenv("DISPLAY");
    const std::string server = display && *display ? std::string("the display server at ") + display
                                                   : std::string("the display server");
    DisplayWatchdog watchdog(kDisplayAnswerLimit, "no display available (" + server + " does not answer)");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error_ = std::string("no display available (") + SDL_GetError() + ")";
        return false;
    }
    videoReady_ = true;
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
    desktop::Area place{SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, ui::kScreenWidth, ui::kScreenHeight};
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0) place = desktop::InitialWindow({usable.x, usable.y, usable.w, usable.h});
    window_.reset(SDL_CreateWindow(title.c_str(), place.x, place.y, place.w, place.h, SDL_WINDOW_RESIZABLE));
    if (!window_) {
        error_ = std::string("cannot open the game window (") + SDL_GetError() + ")";
        return false;
    }
    SDL_SetWindowMinimumSize(window_.get(), ui::kScreenWidth, ui::kScreenHeight);
    SDL_StopTextInput();
    input_.Open(window_.get());
    watch_.Start(window_.get());
    resizes_.Start(window_.get());
    return true;
}

void SdlHost::Attach(ui::Window& window, std::function<void()> closeRequested) {
    ui_ = &window;
    input_.Attach(window);
    closeRequested_ = std::move(closeRequested);
    window.Clock = [this] { return NowUs(); };
}

void SdlHost::SetIcon(const ui::Picture& picture) {
    if (!window_ || picture.argb.empty()) return;
    const SurfacePtr icon(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(picture.argb.data()), picture.width,
                                                             picture.height, 32, picture.width * 4,
                                                             SDL_PIXELFORMAT_ARGB8888));
    if (icon) SDL_SetWindowIcon(window_.get(), icon.get());
}

double SdlHost::NowUs() const { return static_cast<double>(SDL_GetPerformanceCounter()) * 1e6 / frequency_; }

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

void SdlHost::RequestClose() {
    // The quit sequence itself lets events run; a second request must not start it again.
    if (closing_ || !closeRequested_) return;
    closing_ = true;
    closeRequested_();
}

void SdlHost::Dispatch(const SDL_Event& e) {
    if (e.type == SDL_DISPLAYEVENT ||
        (e.type == SDL_WINDOWEVENT &&
         (e.window.event == SDL_WINDOWEVENT_MOVED || e.window.event == SDL_WINDOWEVENT_DISPLAY_CHANGED ||
          e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)))
        refreshStale_ = true;
    if (!ui_) return;
    switch (e.type) {
    case SDL_QUIT:
        RequestClose();
        break;
    case SDL_SYSWMEVENT:
        watch_.Notice(e);
        if (watch_.Gone()) RequestClose();
        break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
            RequestClose();
        } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
                   e.window.event == SDL_WINDOWEVENT_RESIZED) {
            needFullPaint_ = true;
            ui_->MarkDirty();
        }
        input_.Handle(e, NowUs() / 1000);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        if (e.button.button != SDL_BUTTON_LEFT) break;
        const std::optional<PicturePoint> p = InPicture(window_.get(), e.button.x, e.button.y);
        if (e.type == SDL_MOUSEBUTTONDOWN) {
            if (p) ui_->OnMouseDown(p->x, p->y);
        } else {
            // A release outside the picture still ends a press.
            ui_->OnMouseUp(p ? p->x : -1, p ? p->y : -1);
        }
        break;
    }
    case SDL_MOUSEMOTION: {
        const std::optional<PicturePoint> p = InPicture(window_.get(), e.motion.x, e.motion.y);
        ui_->OnMouseMove(p ? p->x : -1, p ? p->y : -1);
        break;
    }
    default:
        input_.Handle(e, NowUs() / 1000);
        break;
    }
}

void SdlHost::PumpEvents() {
    // A window destroyed under the game is closed for it.
    if (QuitRequested() || watch_.Gone()) RequestClose();
    resizes_.Release();
    SDL_Event e;
    while (SDL_PollEvent(&e)) Dispatch(e);
    if (ui_) input_.Tick(NowUs() / 1000);
}

void SdlHost::Present() {
    if (!window_ || !ui_ || watch_.Gone()) return;
    const double start = NowUs();
    if (!presenter_) {
        // Off the game's thread only where the window can be reached without SDL.
        if (std::unique_ptr<X11FrameTarget> x11 = X11FrameTarget::Open(window_.get()))
            presenter_ = std::make_unique<SdlPresenter>(std::move(x11), true);
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
    s.resizesMerged = resizes_.Merged();
    if (presenter_) {
        s.presents = presenter_->Presents();
        s.presenterUs = presenter_->BusyUs();
        s.gaveWay = presenter_->GaveWay();
    }
    return s;
}

void SdlHost::Sleep(double us) {
    const double start = NowUs();
    timespec ts{0, static_cast<long>(us * 1000)};
    nanosleep(&ts, nullptr);
    margin_.Overslept(NowUs() - start - us);
    stats_.sleeps += 1;
}

pacing::WaitStep SdlHost::Serve(double remainingUs) {
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
    const pacing::WaitStep step = pacing::PlanWait(remaining, nextTimer, presentIn, margin_.PollUs());
    // A frame that never sleeps still gets shown, a few milliseconds late.
    if (presenter_ && (step.kind != pacing::WaitStep::Kind::Poll || now - handedOverUs_ >= period / 4))
        presenter_->Wake();
    return step;
}

void SdlHost::Yield(double remainingUs) {
    const pacing::WaitStep step = Serve(remainingUs);
    switch (step.kind) {
    case pacing::WaitStep::Kind::Poll: break;
    case pacing::WaitStep::Kind::Sleep: Sleep(step.us); break;
    case pacing::WaitStep::Kind::WaitEvents:
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
    resizes_.Release();
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, ms)) Dispatch(e);
}

void SdlHost::Spin(double remainingUs) { Serve(remainingUs); }

void SdlHost::Idle() {
    PumpEvents();
    const double nextTimer = ui_ ? ui_->RunDueTimers() : -1;
    const double period = RefreshPeriodUs();
    const double now = NowUs();
    if (ui_ && ui_->Dirty() && now >= schedule_.dueUs) Present();
    if (presenter_) presenter_->Wake();
    double wait = ui_ && ui_->Dirty() ? std::max(0.0, schedule_.dueUs - now) : period;
    if (nextTimer >= 0) wait = std::min(wait, nextTimer);
    if (wait >= 1000) WaitForEvent(static_cast<int>(wait / 1000));
    else if (wait > 0) Sleep(wait);
}

} // namespace platform
