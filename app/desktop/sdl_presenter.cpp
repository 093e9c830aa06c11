#include "app/desktop/sdl_presenter.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>

#include "app/desktop/frame_scale.h"
#include "ui/window.h"

namespace desktop {

SdlPresenter::SdlPresenter(std::unique_ptr<FrameTarget> target, bool ownThread, double giveWayUs)
    : target_(std::move(target)),
      giveWayTicks_(ownThread ? static_cast<uint64_t>(std::max(0.0, giveWayUs) *
                                                      static_cast<double>(SDL_GetPerformanceFrequency()) / 1e6)
                              : 0) {
    for (int i = 0; i < 3; ++i) {
        ui::Surface& b = buffers_[i];
        b.Resize(ui::kScreenWidth, ui::kScreenHeight, 0);
        wraps_[i].reset(SDL_CreateRGBSurfaceWithFormatFrom(b.Pixels().data(), b.Width(), b.Height(), 32,
                                                           b.Width() * 4, SDL_PIXELFORMAT_RGB888));
        if (wraps_[i]) SDL_SetSurfaceBlendMode(wraps_[i].get(), SDL_BLENDMODE_NONE);
    }
    if (ownThread) thread_ = std::thread([this] { Run(); });
}

SdlPresenter::~SdlPresenter() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void SdlPresenter::HandOver(bool repaint) {
    if (!thread_.joinable()) {
        Timed(*back_, repaint_ || repaint);
        repaint_ = false;
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::swap(back_, ready_);
        fresh_ = true;
        repaint_ = repaint_ || repaint;
    }
    wakePending_ = true;
}

void SdlPresenter::Wake() {
    if (!wakePending_) return;
    wakePending_ = false;
    wake_.notify_one();
}

void SdlPresenter::Run() {
    // Woken by the game's thread mid-frame, this thread would otherwise take
    // the game's processor from it for a millisecond or two and end its frame
    // late. A batch thread still gets its fair share, but never preempts.
#ifdef SCHED_BATCH  // Linux's
    sched_param batch{};
    pthread_setschedparam(pthread_self(), SCHED_BATCH, &batch);
#endif
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return fresh_ || stop_; });
        if (stop_) return;
        std::swap(ready_, shown_);
        fresh_ = false;
        const bool repaint = repaint_;
        repaint_ = false;
        const ui::Surface* frame = shown_;
        lock.unlock();
        Timed(*frame, repaint);
        lock.lock();
    }
}

void SdlPresenter::Timed(const ui::Surface& frame, bool repaint) {
    const Uint64 start = SDL_GetPerformanceCounter();
    Show(frame, repaint, start);
    const double us = static_cast<double>(SDL_GetPerformanceCounter() - start) * 1e6 /
                      static_cast<double>(SDL_GetPerformanceFrequency());
    busyUs_.store(busyUs_.load(std::memory_order_relaxed) + us, std::memory_order_relaxed);
}

void SdlPresenter::Show(const ui::Surface& frame, bool repaint, uint64_t start) {
    int w = 0, h = 0;
    if (!target_->Size(&w, &h)) return;
    const Placement place = PlacePicture(frame.Width(), frame.Height(), w, h);
    const SDL_Rect at{place.x, place.y, place.w, place.h};
    SDL_Surface* canvas = target_->Canvas(at);
    if (!canvas) return;
    if (w != lastW_ || h != lastH_) repaint = true;
    if (canvas->format->format == SDL_PIXELFORMAT_RGB888) {
        // Woken by the game's thread, this thread usually lands on the game's
        // processor, and the game's next wake-up would then wait behind the
        // whole scaling (1-2 ms at 4x) even with the other processor idle.
        // Giving way after each band bounds that wait to one band. Under load
        // each offer may hand the processor to another program for a whole
        // slice, so a present stops offering once it has taken giveWayTicks_.
        ScaleInBands(frame.Pixels().data(), frame.Width(), frame.Height(), place.scale,
                     static_cast<uint32_t*>(canvas->pixels), canvas->pitch, [this, start] {
                         if (SDL_GetPerformanceCounter() - start >= giveWayTicks_) return;
                         sched_yield();
                         gaveWay_.fetch_add(1, std::memory_order_relaxed);
                     });
    } else {
        // Other window formats (a 16-bit desktop): SDL converts.
        SDL_Surface* wrap = wraps_[&frame - buffers_].get();
        if (!wrap) return;
        if (place.scale == 1) SDL_BlitSurface(wrap, nullptr, canvas, nullptr);
        else SDL_BlitScaled(wrap, nullptr, canvas, nullptr);
    }
    if (!target_->Show(at, w, h, repaint)) return;
    lastW_ = w;
    lastH_ = h;
    presents_.fetch_add(1, std::memory_order_relaxed);
}

} // namespace desktop
