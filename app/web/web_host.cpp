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
    // F11 and Alt+Enter do what the page's fullscreen button does.
    input_.ToggleFullscreen = [] { web::ToggleFullscreen(); };
    return true;
}

std::optional<sdl::PicturePoint> WebHost::ToPicture(int x, int y) const {
    // SDL gives canvas pixels, whatever size the page shows the canvas at.
    if (x < 0 || y < 0 || x >= ui::kScreenWidth || y >= ui::kScreenHeight) return std::nullopt;
    return sdl::PicturePoint{x, y};
}

bool WebHost::RefreshDue() const { return FrameCount() != presentedFrame_; }

void WebHost::Present(double roomUs) {
    if (!window_ || !ui_) return;
    if (!present_.Busy()) {
        if (!ui_->Dirty() || !RefreshDue()) return;
        present_.Begin(NowUs());
    }
    for (;;) {
        const double start = NowUs();
        const std::optional<sdl::StagedPresent::Next> next = present_.Plan(start, roomUs, kRefreshUs);
        if (!next) return;
        TakeStep(*next);
        const double took = NowUs() - start;
        present_.Took(*next, took);
        stats_.presentUs += took;
        if (roomUs > 0) {
            roomUs -= took;
            if (roomUs <= 0) return;
        }
        if (!present_.Busy()) return;
    }
}

void WebHost::TakeStep(const sdl::StagedPresent::Next& next) {
    if (next.step == sdl::StagedPresent::Step::Compose) {
        ui_->Compose(frame_);
        return;
    }
    // 0x00RRGGBB words to the canvas's R, G, B, A bytes.
    const int top = present_.Row();
    const size_t width = static_cast<size_t>(frame_.Width());
    const size_t from = static_cast<size_t>(top) * width;
    const size_t to = from + static_cast<size_t>(next.rows) * width;
    const std::vector<uint32_t>& in = frame_.Pixels();
    for (size_t i = from; i < to; ++i) {
        const uint32_t p = in[i];
        rgba_[i] = 0xff000000u | (p & 0x0000ff00u) | (p >> 16 & 0xffu) | (p & 0xffu) << 16;
    }
    web::ShowRows(rgba_.data(), frame_.Width(), frame_.Height(), top, next.rows);
    if (top + next.rows >= frame_.Height()) {
        presentedFrame_ = FrameCount();
        stats_.presents += 1;
    }
}

void WebHost::PresentNow() {
    if (!ui_) return;
    // Whatever is under way is finished, and a changed window shown now.
    if (present_.Busy()) Present(0);
    if (ui_->Dirty()) {
        present_.Begin(NowUs());
        Present(0);
    }
}

WebHost::Stats WebHost::GetStats() const {
    Stats s = stats_;
    s.pollUs = margin_.PollUs();
    s.longTurnUs = turns_.LongTurnUs();
    s.composeUs = present_.ComposeUs();
    s.showUs = present_.RowUs() * ui::kScreenHeight;
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
    const bool waitBegins = remainingUs > lastRemainingUs_;
    if (waitBegins) {
        // A wait's first call: what a frame leaves for presenting.
        stats_.waits += 1;
        stats_.waitUs += remainingUs;
    }
    lastRemainingUs_ = std::max(0.0, remainingUs);
    PumpEvents();
    const double nextTimer = ui_ ? ui_->RunDueTimers() : -1;
    double now = NowUs();
    // What of a present fits before the polled end of the wait is taken now,
    // the rest in the waits that follow; outside a frame's wait all of it.
    // But a page held back for long gets its turn at the start of a wait,
    // with all of the wait's room: a turn that renders takes longer still.
    const bool overdue = remainingUs > 0 && !present_.Showing() && turns_.Overdue(now);
    if (!(overdue && waitBegins))
        Present(remainingUs <= 0 ? 0 : std::max(1.0, remainingUs - (now - entry) - margin_.PollUs()));
    now = NowUs();
    const double remaining = remainingUs - (now - entry);
    if (remainingUs <= 0) {
        // A routine letting events run outside a frame's wait: the browser's too.
        GiveTurn();
        return;
    }
    // A picture half put into the canvas would be rendered torn: the page
    // waits for the rest, which the next steps of this wait bring.
    if (present_.Showing()) return;
    // The last stretch, kept for a long turn of the page, is polled.
    const double room = overdue && !waitBegins ? 0 : turns_.RoomUs(now, remaining);
    const sdl::WaitStep step = sdl::PlanWait(room, nextTimer, -1, margin_.PollUs());
    if (step.kind != sdl::WaitStep::Kind::Poll) Sleep(step.us);  // input ends it early
}

double WebHost::PresentWhenIdle(double) {
    Present(0);
    return kRefreshUs;
}

void WebHost::WaitIdle(double us) { web::Sleep(us); }

} // namespace web
