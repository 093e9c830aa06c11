#pragma once
#include <SDL.h>

#include <functional>
#include <string>
#include <vector>

#include "app/desktop/pacing.h"
#include "app/desktop/sdl_input.h"
#include "platform/event_pump.h"
#include "platform/sdl/sdl_ptrs.h"
#include "ui/surface.h"
#include "ui/window.h"

namespace web {

// The game's window in the page: SDL's browser video, events and the desktop's
// input handling, presenting on the game's own thread at most once per display
// refresh of the page, and waits that give the browser its turns.
class WebHost final : public platform::EventPump {
public:
    WebHost();
    ~WebHost() override;
    WebHost(const WebHost&) = delete;
    WebHost& operator=(const WebHost&) = delete;

    // Opens the canvas; false with Error() set when SDL cannot use it.
    bool Open(const std::string& title);
    const std::string& Error() const { return error_; }

    void Attach(ui::Window& window, std::function<void()> closeRequested);
    desktop::SdlInput& Input() { return input_; }

    void Yield(double remainingUs) override;
    // Waits for events or the next timer while no frame is under way.
    void Idle();
    // Presents now if the window changed, whatever the refresh cadence.
    void PresentNow();

    struct Stats {
        uint64_t presents = 0;
        double presentUs = 0;
        uint64_t sleeps = 0;
        double pollUs = 0;
        double longTurnUs = 0;   // what a long turn usually costs
    };
    Stats GetStats() const;

private:
    double NowUs() const;
    void PumpEvents();
    void RequestClose();
    void Present();
    bool RefreshDue() const;
    void Sleep(double us);

    platform::WindowPtr window_;
    ui::Window* ui_ = nullptr;
    std::function<void()> closeRequested_;
    ui::Surface frame_{ui::kScreenWidth, ui::kScreenHeight};
    std::vector<uint32_t> rgba_;
    std::string error_;
    double frequency_ = 1;
    pacing::SleepMargin margin_;
    pacing::CostEstimate presentCost_;
    pacing::TurnRoom turns_;
    unsigned presentedFrame_ = ~0u;
    bool videoReady_ = false;
    bool closing_ = false;
    Stats stats_;
    desktop::SdlInput input_;
};

} // namespace web
