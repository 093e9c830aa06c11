// Windows' keyboard settings as the gamepad's steering repeat.
#include "app/desktop/windows_keyboard.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowsKeyboardRepeat, SettingsAtTheirEndsAndOutside) {
    const sdl::RepeatTiming fallback{500, 1000.0 / 30};
    struct Case {
        int delay;
        unsigned speed;
        double delayMs, perSecond;
    } cases[] = {
        {0, 0, 250, 2.5},      // the shortest delay, the slowest repeat
        {3, 31, 1000, 30},     // the longest delay, the fastest repeat
        {1, 31, 500, 30},      // Windows' own defaults
        {-1, 32, 500, 30},     // out of range: the fallback's
        {4, 15, 500, 2.5 + 15 * 27.5 / 31},
    };
    for (const Case& c : cases) {
        const sdl::RepeatTiming t = desktop::KeyboardRepeat(c.delay, c.speed, fallback);
        EXPECT_DOUBLE_EQ(t.delayMs, c.delayMs) << c.delay;
        EXPECT_NEAR(1000.0 / t.intervalMs, c.perSecond, 1e-9) << c.speed;
    }
}

} // namespace
