#pragma once
#include <SDL.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/desktop/desktop_system.h"
#include "app/sdl/pacing.h"
#include "app/sdl/sdl_host_base.h"
#include "ui/picture.h"

namespace desktop {

class SdlPresenter;

// The game's window on the desktop: presents the composed 640x480 picture at
// most once per display refresh, scaled by the largest whole number that
// fits, and sleeps through waits.
class SdlHost final : public sdl::SdlHostBase {
public:
    SdlHost();
    ~SdlHost() override;

    // Opens the window; false with Error() set when there is no display.
    bool Open(const std::string& title);
    void SetIcon(const ui::Picture& picture);

    void Yield(double remainingUs) override;
    // Does all that Yield does but never waits: the yardstick a wait is
    // measured against, showing the same pictures.
    void Spin(double remainingUs);
    void PresentNow() override;
    // F11 and Alt+Enter: between the window and the whole screen.
    void ToggleFullscreen();

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
    // Stops presenting; needed before the window is destroyed or recreated.
    void StopPresenting();

private:
    void BeforeEvents() override;
    void Dispatch(const SDL_Event& e) override;
    std::optional<sdl::PicturePoint> ToPicture(int x, int y) const override;
    double PresentWhenIdle(double nowUs) override;
    void WaitIdle(double us) override;
    void WaitForEvent(int ms);
    void Present();
    void Sleep(double us);
    // Events, timers and a due hand-over; says how the rest of the wait would be spent.
    sdl::WaitStep Serve(double remainingUs);
    double RefreshPeriodUs();

    std::unique_ptr<SdlPresenter> presenter_;
    sdl::PresentSchedule schedule_;
    double handedOverUs_ = 0;
    std::vector<float>* costLog_ = nullptr;
    // Read again after the window moves or its display or mode changes.
    double refreshPeriodUs_ = 0;
    bool refreshStale_ = true;
    bool needFullPaint_ = true;
    // Without a window manager fullscreen is the window laid over the whole
    // screen by hand; where it was before.
    std::optional<SDL_Rect> beforeFullscreen_;
    DesktopSystem system_;
    Stats stats_;
};

} // namespace desktop
