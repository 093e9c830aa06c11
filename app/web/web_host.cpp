#include "app/web/web_host.h"

#include <algorithm>

#include "app/web/browser.h"

namespace web {

namespace {
// The page's refresh when no frame has been seen yet.
constexpr double kRefreshUs = 1e6 / 60;
} // namespace

WebHost::WebHost() : rgba_(frame_.Pixels().size()) {}

bool WebHost::Open(const std::string& title) {
    // Not resizable: the page scales the canvas, SDL would resize it to the page.
    if (!OpenWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, ui::kScreenWidth, ui::kScreenHeight, 0,
                    "cannot use the page's canvas"))
        return false;
    input_.Open(window_.get(), {});
    return true;
}

std::optional<sdl::PicturePoint> WebHost::ToPicture(int x, int y) const {
    // SDL gives canvas pixels, whatever size the page shows the canvas at.
    if (x < 0 || y < 0 || x >= ui::kScreenWidth || y >= ui::kScreenHeight) return std::nullopt;
    return sdl::PicturePoint{x, y};
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
    const sdl::WaitStep step = sdl::PlanWait(room, nextTimer, -1, margin_.PollUs());
    if (step.kind != sdl::WaitStep::Kind::Poll) Sleep(step.us);  // input ends it early
}

double WebHost::PresentWhenIdle(double) {
    if (ui_ && ui_->Dirty() && RefreshDue()) Present();
    return kRefreshUs;
}

void WebHost::WaitIdle(double us) { web::Sleep(us); }

} // namespace web
