#pragma once
#include <SDL.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "app/desktop/frame_target.h"
#include "platform/sdl/sdl_ptrs.h"
#include "ui/surface.h"

namespace desktop {

// Shows composed frames on a FrameTarget, scaled by the largest whole number
// that fits. With a target that another thread may use, it shows them from a
// thread of its own, so that scaling the picture up and waiting for the
// display never hold up the game: the game composes into Back() and hands it
// over, and the thread shows the newest frame handed over, each one once,
// skipping those it had no time for. Otherwise it shows each frame at once,
// on the game's thread, as it is handed over.
class SdlPresenter {
public:
    // Each present of the thread gives way to other threads between bands of
    // scaling until it has taken `giveWayUs` (see Show).
    SdlPresenter(std::unique_ptr<FrameTarget> target, bool ownThread, double giveWayUs = kGiveWayUs);
    static constexpr double kGiveWayUs = 4000;
    ~SdlPresenter();
    SdlPresenter(const SdlPresenter&) = delete;
    SdlPresenter& operator=(const SdlPresenter&) = delete;

    bool OwnThread() const { return thread_.joinable(); }
    // The game thread's frame to compose into; its own until HandOver.
    ui::Surface& Back() { return *back_; }
    // Passes the composed frame on; `repaint` also clears the window around it
    // (after an expose). Never waits for the display when it has a thread.
    void HandOver(bool repaint);
    // Lets the thread show what was handed over. Called just before the game's
    // thread sleeps: woken earlier, the thread would often take the processor
    // from the game in the middle of its frame.
    void Wake();
    // How often the thread gave way so far.
    uint64_t GaveWay() const { return gaveWay_.load(std::memory_order_relaxed); }
    // Frames that reached the window so far.
    uint64_t Presents() const { return presents_.load(std::memory_order_relaxed); }
    // Microseconds spent scaling and showing.
    double BusyUs() const { return busyUs_.load(std::memory_order_relaxed); }

private:
    void Run();
    // `start`: when this present began, on SDL's performance counter.
    void Show(const ui::Surface& frame, bool repaint, uint64_t start);
    void Timed(const ui::Surface& frame, bool repaint);

    std::unique_ptr<FrameTarget> target_;
    uint64_t giveWayTicks_;
    ui::Surface buffers_[3];
    ui::Surface* back_ = &buffers_[0];
    ui::Surface* ready_ = &buffers_[1];
    ui::Surface* shown_ = &buffers_[2];
    std::mutex mutex_;
    std::condition_variable wake_;
    bool fresh_ = false;
    bool repaint_ = true;
    bool stop_ = false;
    bool wakePending_ = false;  // only the game's thread reads or writes it
    std::atomic<uint64_t> presents_{0};
    std::atomic<uint64_t> gaveWay_{0};
    std::atomic<double> busyUs_{0};
    platform::SurfacePtr wraps_[3];  // the buffers as SDL surfaces, for SDL's converting blits
    int lastW_ = -1, lastH_ = -1;
    std::thread thread_;
};

} // namespace desktop
