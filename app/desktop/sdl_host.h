#pragma once
#include <SDL.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/desktop/pacing.h"
#include "app/desktop/sdl_input.h"
#include "app/desktop/x11_resize_coalescer.h"
#include "app/desktop/x11_window_watch.h"
#include "platform/event_pump.h"
#include "platform/sdl/sdl_counter.h"
#include "platform/sdl/sdl_ptrs.h"
#include "ui/surface.h"
#include "ui/window.h"

namespace platform {

class SdlPresenter;

// The game's window on the desktop: turns SDL's events into the toolkit's,
// presents the composed 640x480 picture at most once per display refresh,
// scaled by the largest whole number that fits, and sleeps through waits.
class SdlHost final : public EventPump {
public:
    SdlHost();
    ~SdlHost() override;
    SdlHost(const SdlHost&) = delete;
    SdlHost& operator=(const SdlHost&) = delete;

    // Opens the window; false with Error() set when there is no display.
    bool Open(const std::string& title);
    const std::string& Error() const { return error_; }
    SDL_Window* Window() const { return window_.get(); }

    void Attach(ui::Window& window, std::function<void()> closeRequested);
    // Keys, pads, fullscreen and focus.
    desktop::SdlInput& Input() { return input_; }
    void SetIcon(const ui::Picture& picture);

    double NowUs() const;
    void Yield(double remainingUs) override;
    // Does all that Yield does but never waits: the yardstick a wait is
    // measured against, showing the same pictures.
    void Spin(double remainingUs);
    // Waits for events or the next timer while no frame is under way.
    void Idle();

    // Figures for the benchmark.
    struct Stats {
        uint64_t presents = 0;   // frames that reached the window
        double presentUs = 0;    // what presenting cost the game's thread
        uint64_t handOvers = 0;  // frames composed and passed on
        double presenterUs = 0;  // the presenting thread's time
        uint64_t gaveWay = 0;    // how often that thread offered its processor
        uint64_t sleeps = 0;
        uint64_t resizesMerged = 0;  // window configures replaced by a later one before the game saw them
        double pollUs = 0;       // the polled end of a frame, as now learned
    };
    Stats GetStats() const;
    // When set, the cost of each present on the game's thread is appended.
    void LogPresentCosts(std::vector<float>* log) { costLog_ = log; }
    // Presents now if the window changed, whatever the refresh cadence.
    void PresentNow();
    // Stops presenting; needed before the window is destroyed or recreated.
    void StopPresenting();

private:
    void PumpEvents();
    void Dispatch(const SDL_Event& e);
    void WaitForEvent(int ms);
    void RequestClose();
    void Present();
    void Sleep(double us);
    // Events, timers and a due hand-over; says how the rest of the wait would be spent.
    pacing::WaitStep Serve(double remainingUs);
    double RefreshPeriodUs();

    WindowPtr window_;
    ui::Window* ui_ = nullptr;
    std::function<void()> closeRequested_;
    std::unique_ptr<SdlPresenter> presenter_;
    std::string error_;
    double frequency_ = 1;
    pacing::PresentSchedule schedule_;
    pacing::SleepMargin margin_;
    pacing::CostEstimate presentCost_;
    double handedOverUs_ = 0;
    std::vector<float>* costLog_ = nullptr;
    // Read again after the window moves or its display or mode changes.
    double refreshPeriodUs_ = 0;
    bool refreshStale_ = true;
    bool needFullPaint_ = true;
    bool videoReady_ = false;
    bool closing_ = false;
    X11WindowWatch watch_;
    X11ResizeCoalescer resizes_;
    Stats stats_;
    desktop::SdlInput input_;
};

} // namespace platform
