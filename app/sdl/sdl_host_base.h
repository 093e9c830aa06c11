#pragma once
#include <SDL.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/sdl/pacing.h"
#include "app/sdl/picture_point.h"
#include "app/sdl/sdl_input.h"
#include "platform/event_pump.h"
#include "platform/sdl/sdl_ptrs.h"
#include "ui/window.h"

namespace sdl {

// What the desktop's and the browser's hosts share: SDL's window for the
// game, its events turned into the toolkit's, the clock and the close
// request, and the shape of an idle wait. Each front end adds where the
// picture lies in its window, how it presents and how it waits.
class SdlHostBase : public platform::EventPump {
public:
    ~SdlHostBase() override;
    SdlHostBase(const SdlHostBase&) = delete;
    SdlHostBase& operator=(const SdlHostBase&) = delete;

    const std::string& Error() const { return error_; }
    SDL_Window* Window() const { return window_.get(); }
    void Attach(ui::Window& window, std::function<void()> closeRequested);
    // Keys, pads, fullscreen and focus.
    SdlInput& Input() { return input_; }
    double NowUs() const;

    // Waits for events or the next timer while no frame is under way,
    // presenting when a refresh is due.
    void Idle();
    // Presents now if the window changed, whatever the refresh cadence.
    virtual void PresentNow() = 0;

protected:
    SdlHostBase();
    // Starts SDL's video; false with Error() set to `failure` and SDL's reason.
    bool StartVideo(const std::string& failure);
    // Opens the window, starting SDL's video first if need be; false with
    // Error() set to `failure` and SDL's reason.
    bool OpenWindow(const std::string& title, int x, int y, int w, int h, uint32_t flags, const std::string& failure);
    // Leaves SDL's video as it is at the end: for a display that is gone.
    void LeaveVideoUp() { videoReady_ = false; }
    void RequestClose();
    // Takes every pending event, then lets held pad controls repeat.
    void PumpEvents();
    // The toolkit's share of one event: the close request, the mouse, exposes,
    // keys and pads. A front end that takes more calls this for the rest.
    virtual void Dispatch(const SDL_Event& e);
    // Before each round of events.
    virtual void BeforeEvents() {}
    // The picture pixel under a point of the window, or none around it.
    virtual std::optional<PicturePoint> ToPicture(int x, int y) const = 0;
    // Idle's part: presents if a refresh is due, and says how long the idle
    // wait may be, at most, before the next one.
    virtual double PresentWhenIdle(double nowUs) = 0;
    // Waits up to `us` for events, ending early for any.
    virtual void WaitIdle(double us) = 0;

    platform::WindowPtr window_;
    ui::Window* ui_ = nullptr;
    std::string error_;
    SleepMargin margin_;
    CostEstimate presentCost_;
    SdlInput input_;

private:
    std::function<void()> closeRequested_;
    double frequency_ = 1;
    bool videoReady_ = false;
    bool closing_ = false;
};

} // namespace sdl
