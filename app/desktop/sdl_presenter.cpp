#include "app/desktop/sdl_presenter.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>

#include "app/desktop/frame_scale.h"
#include "ui/window.h"

namespace platform {

SdlPresenter::SdlPresenter(SDL_Window* window, double giveWayUs)
    : window_(window),
      giveWayTicks_(static_cast<uint64_t>(std::max(0.0, giveWayUs) * static_cast<double>(SDL_GetPerformanceFrequency()) / 1e6)),
      readAhead_(window) {
    for (int i = 0; i < 3; ++i) {
        ui::Surface& b = buffers_[i];
        b.Resize(ui::kScreenWidth, ui::kScreenHeight, 0);
        wraps_[i].reset(SDL_CreateRGBSurfaceWithFormatFrom(b.Pixels().data(), b.Width(), b.Height(), 32,
                                                           b.Width() * 4, SDL_PIXELFORMAT_RGB888));
        if (wraps_[i]) SDL_SetSurfaceBlendMode(wraps_[i].get(), SDL_BLENDMODE_NONE);
    }
    thread_ = std::thread([this] { Run(); });
}

SdlPresenter::~SdlPresenter() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void SdlPresenter::HandOver(bool repaint) {
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
    sched_param batch{};
    pthread_setschedparam(pthread_self(), SCHED_BATCH, &batch);
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
        const Uint64 start = SDL_GetPerformanceCounter();
        Show(*frame, repaint, start);
        const double us = static_cast<double>(SDL_GetPerformanceCounter() - start) * 1e6 /
                          static_cast<double>(SDL_GetPerformanceFrequency());
        busyUs_.store(busyUs_.load(std::memory_order_relaxed) + us, std::memory_order_relaxed);
        lock.lock();
    }
}

void SdlPresenter::Show(const ui::Surface& frame, bool repaint, uint64_t start) {
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (!target) return;
    const Placement at = PlacePicture(frame.Width(), frame.Height(), target->w, target->h);
    if (repaint || target->w != lastW_ || target->h != lastH_) {
        SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
        lastW_ = target->w;
        lastH_ = target->h;
        repaint = true;
    }
    const bool fits = at.x >= 0 && at.y >= 0 && at.w <= target->w && at.h <= target->h;
    if (fits && target->format->format == SDL_PIXELFORMAT_RGB888) {
        if (SDL_MUSTLOCK(target)) SDL_LockSurface(target);
        auto* corner = static_cast<unsigned char*>(target->pixels) + static_cast<ptrdiff_t>(at.y) * target->pitch +
                       static_cast<ptrdiff_t>(at.x) * 4;
        // Woken by the game's thread, this thread usually lands on the game's
        // processor, and the game's next wake-up would then wait behind the
        // whole scaling (1-2 ms at 4x) even with the other processor idle.
        // Giving way after each band bounds that wait to one band. Under load
        // each offer may hand the processor to another program for a whole
        // slice, so a present stops offering once it has taken giveWayTicks_.
        ScaleInBands(frame.Pixels().data(), frame.Width(), frame.Height(), at.scale,
                     reinterpret_cast<uint32_t*>(corner), target->pitch, [this, start] {
                         if (SDL_GetPerformanceCounter() - start >= giveWayTicks_) return;
                         sched_yield();
                         gaveWay_.fetch_add(1, std::memory_order_relaxed);
                     });
        if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
    } else {
        // Other window formats (a 16-bit desktop): SDL converts.
        SDL_Surface* wrap = wraps_[&frame - buffers_].get();
        if (!wrap) return;
        SDL_Rect dst{at.x, at.y, at.w, at.h};
        if (at.scale == 1) SDL_BlitSurface(wrap, nullptr, target, &dst);
        else SDL_BlitScaled(wrap, nullptr, target, &dst);
    }
    SDL_Rect rect{std::max(0, at.x), std::max(0, at.y), std::min(at.w, target->w), std::min(at.h, target->h)};
    if (repaint) SDL_UpdateWindowSurface(window_);
    else SDL_UpdateWindowSurfaceRects(window_, &rect, 1);
    presents_.fetch_add(1, std::memory_order_relaxed);
    // The update waits for the X server's reply and reads whatever input
    // came with it, which the game's thread, waiting on the socket, would miss.
    if (readAhead_.Check()) readAheads_.fetch_add(1, std::memory_order_relaxed);
}

} // namespace platform
