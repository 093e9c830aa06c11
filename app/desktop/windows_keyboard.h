#pragma once
#include "app/sdl/gamepad.h"

namespace desktop {

// The keyboard's repeat as Windows' settings give it (SPI_GETKEYBOARDDELAY:
// 0..3 for 250..1000 ms; SPI_GETKEYBOARDSPEED: 0..31 for about 2.5..30 a
// second); `fallback` for a setting out of its range.
sdl::RepeatTiming KeyboardRepeat(int delaySetting, unsigned speedSetting, sdl::RepeatTiming fallback = {});

} // namespace desktop
