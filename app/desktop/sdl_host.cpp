#include "app/desktop/sdl_host.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "platform/display_guard.h"

#ifdef __EMSCRIPTEN__
#include "app/web/browser.h"
#endif

namespace platform {

namespace {

// SDL's key to the toolkit's key code; 0 for keys the game has no code for
// (0 itself means something else to the game, so those keys are not passed on).
int KeyCode(SDL_Keycode k) {
    if (k >= SDLK_a && k <= SDLK_z) return 'A' + (k - SDLK_a);
    if (k >= SDLK_0 && k <= SDLK_9) return '0' + (k - SDLK_0);
    if (k >= SDLK_F1 && k <= SDLK_F12) return 112 + (k - SDLK_F1);
    switch (k) {
    case SDLK_ESCAPE: return ui::vk::Escape;
    case SDLK_RETURN: case SDLK_KP_ENTER: return ui::vk::Return;
    case SDLK_SPACE: return ui::vk::Space;
    case SDLK_TAB: return ui::vk::Tab;
    case SDLK_BACKSPACE: return ui::vk::Back;
    case SDLK_LEFT: return ui::vk::Left;
    case SDLK_UP: return ui::vk::Up;
    case SDLK_RIGHT: return ui::vk::Right;
    case SDLK_DOWN: return ui::vk::Down;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return ui::vk::Shift;
    case SDLK_LCTRL: case SDLK_RCTRL: return ui::vk::Control;
    case SDLK_LALT: case SDLK_RALT: return 18;
    case SDLK_PAGEUP: return 33;
    case SDLK_PAGEDOWN: return 34;
    case SDLK_END: return 35;
    case SDLK_HOME: return 36;
    case SDLK_INSERT: return 45;
    case SDLK_DELETE: return 46;
    default: return 0;
    }
}

int16_t ShiftState(Uint16 mod) {
    return static_cast<int16_t>(((mod & KMOD_SHIFT) ? 1 : 0) | ((mod & KMOD_CTRL) ? 2 : 0) | ((mod & KMOD_ALT) ? 4 : 0));
}

} // namespace

SdlHost::SdlHost() {
    // The window's own surface, not a GL texture path: an order of magnitude
    // cheaper per present on software-rendered desktops.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    frequency_ = static_cast<double>(SDL_GetPerformanceFrequency());
    frameSurface_ = SDL_CreateRGBSurfaceWithFormatFrom(frame_.Pixels().data(), frame_.Width(), frame_.Height(), 32,
                                                       frame_.Width() * 4, SDL_PIXELFORMAT_RGB888);
    if (frameSurface_) SDL_SetSurfaceBlendMode(frameSurface_, SDL_BLENDMODE_NONE);
}

SdlHost::~SdlHost() {
    if (frameSurface_) SDL_FreeSurface(frameSurface_);
    if (window_) SDL_DestroyWindow(window_);
    if (videoReady_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlHost::Open(const std::string& title) {
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
#ifdef __EMSCRIPTEN__
    // The page scales the canvas; a resizable one would be resized to the page.
    const Uint32 flags = 0;
#else
    const Uint32 flags = SDL_WINDOW_RESIZABLE;
#endif
    window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, ui::kScreenWidth,
                               ui::kScreenHeight, flags);
    if (!window_) {
        error_ = std::string("cannot open the game window (") + SDL_GetError() + ")";
        return false;
    }
    SDL_SetWindowMinimumSize(window_, ui::kScreenWidth, ui::kScreenHeight);
    SDL_StopTextInput();
    return true;
}

void SdlHost::Attach(ui::Window& window, std::function<void()> closeRequested) {
    ui_ = &window;
    closeRequested_ = std::move(closeRequested);
    window.Clock = [this] { return NowUs(); };
}

void SdlHost::SetIcon(const ui::Picture& picture) {
    if (!window_ || picture.argb.empty()) return;
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(picture.argb.data()), picture.width,
                                                           picture.height, 32, picture.width * 4,
                                                           SDL_PIXELFORMAT_ARGB8888);
    if (!icon) return;
    SDL_SetWindowIcon(window_, icon);
    SDL_FreeSurface(icon);
}

double SdlHost::NowUs() const { return static_cast<double>(SDL_GetPerformanceCounter()) * 1e6 / frequency_; }

double SdlHost::RefreshPeriodUs() const {
    SDL_DisplayMode mode;
    static double cached = 0;
    if (cached == 0) {
        const int index = window_ ? SDL_GetWindowDisplayIndex(window_) : 0;
        const int hz = SDL_GetCurrentDisplayMode(index < 0 ? 0 : index, &mode) == 0 ? mode.refresh_rate : 0;
        cached = 1e6 / (hz > 0 ? hz : 60);
    }
    return cached;
}

bool SdlHost::MapMouse(int wx, int wy, int* x, int* y) const {
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    const int scale = std::max(1, std::min(w / ui::kScreenWidth, h / ui::kScreenHeight));
    const int ox = (w - ui::kScreenWidth * scale) / 2, oy = (h - ui::kScreenHeight * scale) / 2;
    const int px = wx - ox, py = wy - oy;
    if (px < 0 || py < 0) return false;
    *x = px / scale;
    *y = py / scale;
    return *x < ui::kScreenWidth && *y < ui::kScreenHeight;
}

void SdlHost::RequestClose() {
    // The quit sequence itself lets events run; a second request must not start it again.
    if (closing_ || !closeRequested_) return;
    closing_ = true;
    closeRequested_();
}

void SdlHost::PumpEvents() {
    if (QuitRequested()) RequestClose();
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (!ui_) continue;
        switch (e.type) {
        case SDL_QUIT:
            RequestClose();
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                RequestClose();
            } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
                       e.window.event == SDL_WINDOWEVENT_RESIZED) {
                needFullPaint_ = true;
                ui_->MarkDirty();
            }
            break;
        case SDL_KEYDOWN:
            if (const int code = KeyCode(e.key.keysym.sym)) ui_->OnKeyDown(code, ShiftState(e.key.keysym.mod));
            break;
        case SDL_KEYUP:
            if (const int code = KeyCode(e.key.keysym.sym)) ui_->OnKeyUp(code, ShiftState(e.key.keysym.mod));
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            if (e.button.button != SDL_BUTTON_LEFT) break;
            int x = 0, y = 0;
            const bool inside = MapMouse(e.button.x, e.button.y, &x, &y);
            if (e.type == SDL_MOUSEBUTTONDOWN) {
                if (inside) ui_->OnMouseDown(x, y);
            } else {
                // A release outside the picture still ends a press.
                ui_->OnMouseUp(inside ? x : -1, inside ? y : -1);
            }
            break;
        }
        default: break;
        }
    }
}

void SdlHost::Present() {
    if (!window_ || !ui_) return;
    const double start = NowUs();
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (!target) return;
    ui_->Compose(frame_);
    const int scale = std::max(1, std::min(target->w / ui::kScreenWidth, target->h / ui::kScreenHeight));
    SDL_Rect dst{(target->w - ui::kScreenWidth * scale) / 2, (target->h - ui::kScreenHeight * scale) / 2,
                 ui::kScreenWidth * scale, ui::kScreenHeight * scale};
    if (needFullPaint_ || target->w != lastW_ || target->h != lastH_) {
        SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
        lastW_ = target->w;
        lastH_ = target->h;
        needFullPaint_ = false;
    }
    if (scale == 1) SDL_BlitSurface(frameSurface_, nullptr, target, &dst);
    else SDL_BlitScaled(frameSurface_, nullptr, target, &dst);  // nearest neighbour: crisp whole-number scaling
    SDL_UpdateWindowSurface(window_);
    const double cost = NowUs() - start;
    // A first present that builds caches can take a hundred times longer than
    // the rest; unclamped it would keep short frames from presenting for good.
    presentCostUs_ = 0.9 * presentCostUs_ + 0.1 * std::min(cost, 4000.0);
    stats_.presents += 1;
    stats_.presentUs += cost;
    lastPresentUs_ = start;
#ifdef __EMSCRIPTEN__
    presentedFrame_ = web::FrameCount();
#endif
}

bool SdlHost::RefreshDue() const {
#ifdef __EMSCRIPTEN__
    return web::FrameCount() != presentedFrame_;
#else
    return NowUs() - lastPresentUs_ >= RefreshPeriodUs();
#endif
}

void SdlHost::PresentNow() {
    if (ui_ && ui_->Dirty()) Present();
}

void SdlHost::Sleep(double us) {
    const double start = NowUs();
#ifdef __EMSCRIPTEN__
    // The browser gets the time: its input, sound and drawing run only then.
    web::Sleep(us);
    const bool shortSleep = true;
#else
    const bool shortSleep = us < 4000;
    if (!shortSleep) {
        // Wakes at once for input, so the player's keys are never held back.
        SDL_WaitEventTimeout(nullptr, static_cast<int>(us / 1000) - 1);
    } else {
        timespec ts{0, static_cast<long>(us * 1000)};
        nanosleep(&ts, nullptr);
    }
#endif
    if (shortSleep) {
        // Keep a margin of what a short sleep usually oversleeps: rare long
        // oversleeps cost one late frame, a margin sized for them would cost a core.
        const double overshoot = std::clamp(NowUs() - start - us, 0.0, 5000.0);
        overshootUs_ = 0.95 * overshootUs_ + 0.05 * overshoot;
        UpdateMargin();
    }
    stats_.sleeps += 1;
}

void SdlHost::UpdateMargin() { marginUs_ = std::clamp(2.0 * overshootUs_ + 80, 150.0, 800.0); }

void SdlHost::Yield(double remainingUs) {
    PumpEvents();
    double nextTimer = ui_ ? ui_->RunDueTimers() : -1;
    if (ui_ && ui_->Dirty() && RefreshDue() &&
        remainingUs >= presentCostUs_ + marginUs_)
        Present();
    if (remainingUs <= 0) {
#ifdef __EMSCRIPTEN__
        web::GiveTurn();
#endif
        return;
    }
    double sleepable = remainingUs - marginUs_;
    if (nextTimer >= 0) sleepable = std::min(sleepable, nextTimer);
    if (sleepable >= 50) {
        Sleep(sleepable);
    } else if (remainingUs > 200) {
        // Not sleeping teaches nothing about oversleeping: let the margin come
        // back down, or one bad spell would keep short frames busy for good.
        overshootUs_ *= 0.995;
        UpdateMargin();
    }
}

void SdlHost::Idle() {
    PumpEvents();
    const double nextTimer = ui_ ? ui_->RunDueTimers() : -1;
    double wait = RefreshPeriodUs();
    if (nextTimer >= 0) wait = std::min(wait, nextTimer);
#ifdef __EMSCRIPTEN__
    if (ui_ && ui_->Dirty() && RefreshDue()) Present();
    web::Sleep(wait);
#else
    if (ui_ && ui_->Dirty()) Present();
    if (wait >= 1000) SDL_WaitEventTimeout(nullptr, static_cast<int>(wait / 1000));
#endif
}

} // namespace platform
