#include "app/desktop/window_placement.h"

#include <gtest/gtest.h>

using desktop::Area;
using desktop::InitialWindow;
using desktop::WindowScale;

namespace {

TEST(WindowPlacementTest, LargestWholeScaleWithRoomForTheFrame) {
    EXPECT_EQ(WindowScale(1920, 1080), 2);
    EXPECT_EQ(WindowScale(1920, 1040), 2);  // a task bar below
    EXPECT_EQ(WindowScale(1366, 768), 1);
    EXPECT_EQ(WindowScale(1366, 728), 1);
    EXPECT_EQ(WindowScale(2560, 1440), 2);
    EXPECT_EQ(WindowScale(3840, 2160), 4);
    EXPECT_EQ(WindowScale(3840, 2100), 4);
    // Just fits, and one pixel short.
    EXPECT_EQ(WindowScale(1280 + 16, 960 + 48), 2);
    EXPECT_EQ(WindowScale(1280 + 16, 960 + 47), 1);
    EXPECT_EQ(WindowScale(1280 + 15, 960 + 48), 1);
    // No room at all still opens the picture at its own size.
    EXPECT_EQ(WindowScale(640, 480), 1);
    EXPECT_EQ(WindowScale(0, 0), 1);
    EXPECT_EQ(WindowScale(1920, 1080, {0, 0}), 2);
    EXPECT_EQ(WindowScale(1920, 1440, {0, 0}), 3);
}

TEST(WindowPlacementTest, CentredInTheUsableArea) {
    const Area full = InitialWindow({0, 0, 1920, 1080});
    EXPECT_EQ(full.w, 1280);
    EXPECT_EQ(full.h, 960);
    EXPECT_EQ(full.x, (1920 - 1280 - 16) / 2);
    EXPECT_EQ(full.y, (1080 - 960 - 48) / 2);
    // A second monitor to the right, with a panel on top.
    const Area second = InitialWindow({1920, 32, 1366, 736});
    EXPECT_EQ(second.w, 640);
    EXPECT_EQ(second.h, 480);
    EXPECT_EQ(second.x, 1920 + (1366 - 640 - 16) / 2);
    EXPECT_EQ(second.y, 32 + (736 - 480 - 48) / 2);
    // Smaller than the picture: the window starts at the area's corner.
    const Area tiny = InitialWindow({100, 50, 600, 400});
    EXPECT_EQ(tiny.x, 100);
    EXPECT_EQ(tiny.y, 50);
    EXPECT_EQ(tiny.w, 640);
}

} // namespace
