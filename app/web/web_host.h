#pragma once
#include <SDL.h>

#include <optional>
#include <string>
#include <vector>

#include "app/sdl/pacing.h"
#include "app/sdl/sdl_host_base.h"
#include "ui/surface.h"

namespace web {

// The game's window in the page: presenting on the game's own thread at most
// once per display refresh of the page, in steps that fit the frames' waits,
// and waits that give the browser its turns.
class WebHost final : public sdl::SdlHostBase {
public:
    WebHost();

    // Opens the canvas; false with Error() set when SDL cannot use it.
    bool Open(const std::string& title);

    void Yield(double remainingUs) override;
    void PresentNow() override;

    struct Stats {
        uint64_t presents = 0;
        double presentUs = 0;
        uint64_t sleeps = 0;
        double pollUs = 0;
        double longTurnUs = 0;   // what a long turn usually costs
        double composeUs = 0;    // what a present's steps usually cost:
        double showUs = 0;       // composing, and showing all rows
        uint64_t waits = 0;      // frames' waits, and what they had left
        double waitUs = 0;       // when they began, in all
    };
    Stats GetStats() const;

private:
    std::optional<sdl::PicturePoint> ToPicture(int x, int y) const override;
    double PresentWhenIdle(double nowUs) override;
    void WaitIdle(double us) override;
    // Takes the steps of a present that fit `roomUs` (<= 0: all of them).
    void Present(double roomUs);
    void TakeStep(const sdl::StagedPresent::Next& next);
    bool RefreshDue() const;
    void Sleep(double us);

    ui::Surface frame_{ui::kScreenWidth, ui::kScreenHeight};
    std::vector<uint32_t> rgba_;
    sdl::TurnRoom turns_;
    sdl::StagedPresent present_{ui::kScreenHeight};
    unsigned presentedFrame_ = ~0u;
    double lastRemainingUs_ = 0;
    Stats stats_;
};

} // namespace web
