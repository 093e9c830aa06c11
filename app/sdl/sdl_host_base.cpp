#include "app/sdl/sdl_host_base.h"

#include <algorithm>

namespace sdl {

SdlHostBase::SdlHostBase() : frequency_(static_cast<double>(SDL_GetPerformanceFrequency())) {}

SdlHostBase::~SdlHostBase() {
    window_.reset();  // before SDL's video goes
    if (videoReady_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlHostBase::StartVideo(const std::string& failure) {
    if (videoReady_) return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error_ = failure + " (" + SDL_GetError() + ")";
        return false;
    }
    videoReady_ = true;
    return true;
}

bool SdlHostBase::OpenWindow(const std::string& title, int x, int y, int w, int h, uint32_t flags,
                             const std::string& failure) {
    if (!StartVideo(failure)) return false;
    window_.reset(SDL_CreateWindow(title.c_str(), x, y, w, h, flags));
    if (!window_) {
        error_ = failure + " (" + SDL_GetError() + ")";
        return false;
    }
    // Keys only: SDL then keeps every key from text input and the browser's shortcuts.
    SDL_StopTextInput();
    return true;
}

void SdlHostBase::Attach(ui::Window& window, std::function<void()> closeRequested) {
    ui_ = &window;
    input_.Attach(window);
    closeRequested_ = std::move(closeRequested);
    window.Clock = [this] { return NowUs(); };
}

double SdlHostBase::NowUs() const { return static_cast<double>(SDL_GetPerformanceCounter()) * 1e6 / frequency_; }

void SdlHostBase::RequestClose() {
    // The quit sequence itself lets events run; a second request must not start it again.
    if (closing_ || !closeRequested_) return;
    closing_ = true;
    closeRequested_();
}

void SdlHostBase::PumpEvents() {
    BeforeEvents();
    SDL_Event e;
    while (SDL_PollEvent(&e)) Dispatch(e);
    if (ui_) input_.Tick(NowUs() / 1000);
}

void SdlHostBase::Dispatch(const SDL_Event& e) {
    if (!ui_) return;
    switch (e.type) {
    case SDL_QUIT:
        RequestClose();
        break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) RequestClose();
        else if (e.window.event == SDL_WINDOWEVENT_EXPOSED) ui_->MarkDirty();
        input_.Handle(e, NowUs() / 1000);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        if (e.button.button != SDL_BUTTON_LEFT) break;
        const std::optional<PicturePoint> p = ToPicture(e.button.x, e.button.y);
        if (e.type == SDL_MOUSEBUTTONDOWN) {
            if (p) ui_->OnMouseDown(p->x, p->y);
        } else {
            // A release outside the picture still ends a press.
            ui_->OnMouseUp(p ? p->x : -1, p ? p->y : -1);
        }
        break;
    }
    case SDL_MOUSEMOTION: {
        const std::optional<PicturePoint> p = ToPicture(e.motion.x, e.motion.y);
        ui_->OnMouseMove(p ? p->x : -1, p ? p->y : -1);
        break;
    }
    default:
        input_.Handle(e, NowUs() / 1000);
        break;
    }
}

void SdlHostBase::Idle() {
    PumpEvents();
    const double nextTimer = ui_ ? ui_->RunDueTimers() : -1;
    double wait = PresentWhenIdle(NowUs());
    if (nextTimer >= 0) wait = std::min(wait, nextTimer);
    WaitIdle(wait);
}

} // namespace sdl
