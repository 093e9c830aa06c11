#pragma once
#include <array>
#include <cstdint>

#include "platform/display_driver.h"
#include "platform/event_pump.h"

namespace platform {

// Switches the display to the game's mode and puts the user's own mode back.
// displayModes[0] is the mode last asked for, displayModes[1] the mode found at
// start-up.
class ScreenModule {
public:
    ScreenModule(DisplayDriver& driver, EventPump& pump);

    void RememberDisplayMode();
    bool SetDisplayMode(int16_t width, int16_t height, int16_t bits, int16_t maxRate);
    int16_t FindDisplayFrequency(int16_t width, int16_t height, int16_t bits, int16_t maxRate);
    // Throws std::out_of_range for an index other than 0 or 1.
    bool ApplyDisplayMode(int32_t index);
    void RestoreDisplayMode();

    std::array<DevMode, 2> displayModes{};

private:
    DisplayDriver& driver_;
    EventPump& pump_;
};

} // namespace platform
