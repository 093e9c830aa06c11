#include "app/web/web_host.h"

#include <algorithm>

#include "app/web/browser.h"

namespace web {

namespace {
// The page's refresh when no frame has been seen yet.
constexpr double kRefreshUs = 1e6 / 60;
} // namespace

WebHost::WebHost() : rgba_(frame_.Pixels().size()) {
    frequency_ = static_cast<double>(SDL_GetPerformanceFrequency());
}

WebHost::~WebHost() {
    window_.reset();  // before SDL's video goes
    if (videoReady_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool WebHost::Open(const std::string& title) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error_ = std::string("cannot use the page's canvas (") + SDL_GetError() + ")";
        return false;
    }
    videoReady_ = true;
    // Not resizable: the page scales the canvas, SDL would resize it to the page.
    window_.reset(SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, ui::kScreenWidth,
                                   ui::kScreenHeight, 0));
    if (!window_) {
        error_ = std::string("cannot use the page's canvas (") + SDL_GetError() + ")";
        return false;
    }
    SDL_StopTextInput();  // SDL then keeps every key from the browser's own shortcuts
    input_.Open(window_.get());
    return true;
}

void WebHost::Attach(ui::Window& window, std::function<void()> closeRequested) {
    ui_ = &window;
    input_.Attach(window);
    closeRequested_ = std::move(closeRequested);
    window.Clock = [this] { return NowUs(); };
}

double WebHost::NowUs() const { return static_cast<double>(SDL_GetPerformanceCounter()) * 1e6 / frequency_; }

void WebHost::RequestClose() {
    if (closing_ || !closeRequested_) return;
    closing_ = true;
    closeRequested_();
}

void WebHost::PumpEvents() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (!ui_) continue;
        switch (e.type) {
        case SDL_QUIT:
            RequestClose();
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            if (e.button.button != SDL_BUTTON_LEFT) break;
            // SDL gives canvas pixels, whatever size the page shows the canvas at.
            const int x = e.button.x, y = e.button.y;
            const bool inside = x >= 0 && y >= 0 && x < ui::kScreenWidth && y < ui::kScreenHeight;
            if (e.type == SDL_MOUSEBUTTONDOWN) {
                if (inside) ui_->OnMouseDown(x, y);
            } else {
                ui_->OnMouseUp(inside ? x : -1, inside ? y : -1);  // a release outside still ends a press
            }
            break;
        }
        case SDL_MOUSEMOTION: {
            const int x = e.motion.x, y = e.motion.y;
            const bool inside = x >= 0 && y >= 0 && x < ui::kScreenWidth && y < ui::kScreenHeight;
            ui_->OnMouseMove(inside ? x : -1, inside ? y : -1);
            break;
        }
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED) ui_->MarkDirty();
            input_.Handle(e, NowUs() / 1000);
            break;
        default:
            input_.Handle(e, NowUs() / 1000);
            break;
        }
    }
    if (ui_) input_.Tick(NowUs() / 1000);
}

bool WebHost::RefreshDue() const { return FrameCount() != presentedFrame_; }

void WebHost::Present() {
    if (!window_ || !ui_) return;
    const double start = NowUs();
    ui_->Compose(frame_);
    // 0x00RRGGBB words to the canvas's R, G, B, A bytes.
    const std::vector<uint32_t>& in = frame_.Pixels();
    for (size_t i = 0; i < in.size(); ++i) {
        const uint32_t p = in[i];
        rgba_[i] = 0xff000000u | (p & 0x0000ff00u) | (p >> 16 & 0xffu) | (p & 0xffu) << 16;
    }
    web::ShowPicture(rgba_.data(), frame_.Width(), frame_.Height());
    const double cost = NowUs() - start;
    presentCost_.Measured(cost);
    presentedFrame_ = FrameCount();
    stats_.presents += 1;
    stats_.presentUs += cost;
}

void WebHost::PresentNow() {
    if (ui_ && ui_->Dirty()) Present();
}

WebHost::Stats WebHost::GetStats() const {
    Stats s = stats_;
    s.pollUs = margin_.PollUs();
    s.longTurnUs = turns_.LongTurnUs();
    return s;
}

void WebHost::Sleep(double us) {
    const double start = NowUs();
    web::Sleep(us);
    const double now = NowUs();
    if (us < kSingleTurnUs) {
        // A turn's length is the page's, not a late wake-up.
        turns_.Turned(now, now - start);
    } else {
        turns_.Turned(now, 0);
        margin_.Overslept(now - start - us);
    }
    stats_.sleeps += 1;
}

void WebHost::Yield(double remainingUs) {
    const double entry = NowUs();
    PumpEvents();
    const double nextTimer = ui_ ? ui_->RunDueTimers() : -1;
    double now = NowUs();
    // Presenting fits in a frame's wait or comes outside one; a refresh missed
    // for want of room is taken at the next.
    if (ui_ && ui_->Dirty() && RefreshDue() &&
        (remainingUs <= 0 || remainingUs - (now - entry) >= presentCost_.Us() + margin_.PollUs())) {
        Present();
        now = NowUs();
    }
    const double remaining = remainingUs - (now - entry);
    if (remainingUs <= 0) {
        // A routine letting events run outside a frame's wait: the browser's too.
        GiveTurn();
        return;
    }
    // The last stretch, kept for a long turn of the page, is polled.
    const double room = turns_.RoomUs(now, remaining);
    const pacing::WaitStep step = pacing::PlanWait(room, nextTimer, -1, margin_.PollUs());
    if (step.kind != pacing::WaitStep::Kind::Poll) Sleep(step.us);  // input ends it early
}

void WebHost::Idle() {
    PumpEvents();
    const double nextTimer = ui_ ? ui_->RunDueTimers() : -1;
    if (ui_ && ui_->Dirty() && RefreshDue()) Present();
    double wait = kRefreshUs;
    if (nextTimer >= 0) wait = std::min(wait, nextTimer);
    web::Sleep(wait);
}

} // namespace web
