#pragma once
#include <SDL.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/event_pump.h"
#include "platform/sdl/sdl_counter.h"
#include "ui/surface.h"
#include "ui/window.h"

namespace platform {

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
    SDL_Window* Window() const { return window_; }

    void Attach(ui::Window& window, std::function<void()> closeRequested);
    void SetIcon(const ui::Picture& picture);

    double NowUs() const;
    void Yield(double remainingUs) override;
    // Waits for events or the next timer while no frame is under way.
    void Idle();

    // Figures for the benchmark.
    struct Stats {
        uint64_t presents = 0;
        double presentUs = 0;
        uint64_t sleeps = 0;
    };
    const Stats& GetStats() const { return stats_; }
    double SleepMarginUs() const { return marginUs_; }
    // Presents now if the window changed, whatever the refresh cadence.
    void PresentNow();

private:
    void PumpEvents();
    void RequestClose();
    void Present();
    void Sleep(double us);
    void UpdateMargin();
    bool MapMouse(int wx, int wy, int* x, int* y) const;
    double RefreshPeriodUs() const;
    bool RefreshDue() const;

    SDL_Window* window_ = nullptr;
    ui::Window* ui_ = nullptr;
    std::function<void()> closeRequested_;
    ui::Surface frame_{ui::kScreenWidth, ui::kScreenHeight};
    SDL_Surface* frameSurface_ = nullptr;
    std::string error_;
    double frequency_ = 1;
    double lastPresentUs_ = -1e18;
    double presentCostUs_ = 300;
    double marginUs_ = 200;
    double overshootUs_ = 100;
    unsigned presentedFrame_ = 0;
    int lastW_ = 0, lastH_ = 0;
    bool needFullPaint_ = true;
    bool videoReady_ = false;
    bool closing_ = false;
    Stats stats_;
};

} // namespace platform
