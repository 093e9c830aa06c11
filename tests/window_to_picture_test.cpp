// Where the desktop window shows the 640x480 picture, and which picture pixel a
// click in the window lands on.
#include "app/desktop/frame_scale.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

namespace desktop {
namespace {

struct FitCase {
    int w, h;
    int scale, left, top;
};

Placement Fit(int w, int h) { return PlacePicture(640, 480, w, h); }

void PrintTo(const FitCase& c, std::ostream* os) { *os << c.w << "x" << c.h; }

class PictureInWindow : public ::testing::TestWithParam<FitCase> {};

TEST_P(PictureInWindow, LargestWholeScaleThatFitsCentred) {
    const FitCase c = GetParam();
    const Placement fit = Fit(c.w, c.h);
    EXPECT_EQ(fit.scale, c.scale) << c.w << "x" << c.h;
    EXPECT_EQ(fit.x, c.left) << c.w << "x" << c.h;
    EXPECT_EQ(fit.y, c.top) << c.w << "x" << c.h;
}

INSTANTIATE_TEST_SUITE_P(
    WindowSizes, PictureInWindow,
    ::testing::Values(FitCase{640, 480, 1, 0, 0}, FitCase{1280, 960, 2, 0, 0}, FitCase{1920, 1440, 3, 0, 0},
                      FitCase{2560, 1920, 4, 0, 0},
                      // One pixel short of the next scale keeps the smaller one.
                      FitCase{1279, 960, 1, 319, 240}, FitCase{1280, 959, 1, 320, 239},
                      // Odd borders: the extra pixel goes right and below.
                      FitCase{1281, 961, 2, 0, 0}, FitCase{1919, 1080, 2, 319, 60},
                      FitCase{1920, 1080, 2, 320, 60}, FitCase{2560, 1440, 3, 320, 0},
                      // The narrower side decides.
                      FitCase{3000, 480, 1, 1180, 0}, FitCase{640, 2000, 1, 0, 760},
                      // Smaller than the picture: scale 1, the picture overhangs on every side.
                      FitCase{600, 400, 1, -20, -40}));

std::optional<PicturePoint> At(int w, int h, int x, int y) { return WindowToPicture(Fit(w, h), x, y); }

TEST(WindowToPicture, CornersOfThePictureAtEachScale) {
    for (int scale = 1; scale <= 4; ++scale) {
        const int w = 640 * scale + 101, h = 480 * scale + 37;  // odd borders round every side
        const Placement fit = Fit(w, h);
        ASSERT_EQ(fit.scale, scale);
        const int right = fit.x + 640 * scale - 1, bottom = fit.y + 480 * scale - 1;
        EXPECT_EQ(At(w, h, fit.x, fit.y), (PicturePoint{0, 0})) << scale;
        EXPECT_EQ(At(w, h, right, bottom), (PicturePoint{639, 479})) << scale;
        EXPECT_EQ(At(w, h, fit.x + scale - 1, fit.y + scale - 1), (PicturePoint{0, 0})) << scale;
        EXPECT_EQ(At(w, h, fit.x + scale, fit.y + scale), (PicturePoint{1, 1})) << scale;
        // The window pixels of one picture pixel all land on it.
        for (int dx = 0; dx < scale; ++dx)
            EXPECT_EQ(At(w, h, fit.x + 100 * scale + dx, fit.y + 7 * scale), (PicturePoint{100, 7})) << scale;
    }
}

TEST(WindowToPicture, TheBlackBorderHitsNothing) {
    for (int scale = 1; scale <= 4; ++scale) {
        const int w = 640 * scale + 101, h = 480 * scale + 37;
        const Placement fit = Fit(w, h);
        const int right = fit.x + 640 * scale - 1, bottom = fit.y + 480 * scale - 1;
        const int midX = fit.x + 320 * scale, midY = fit.y + 240 * scale;
        EXPECT_FALSE(At(w, h, fit.x - 1, midY)) << scale;
        EXPECT_FALSE(At(w, h, right + 1, midY)) << scale;
        EXPECT_FALSE(At(w, h, midX, fit.y - 1)) << scale;
        EXPECT_FALSE(At(w, h, midX, bottom + 1)) << scale;
        EXPECT_FALSE(At(w, h, 0, 0)) << scale;
        EXPECT_FALSE(At(w, h, w - 1, h - 1)) << scale;
    }
}

TEST(WindowToPicture, ExactWindowHasNoBorder) {
    EXPECT_EQ(At(640, 480, 0, 0), (PicturePoint{0, 0}));
    EXPECT_EQ(At(640, 480, 639, 479), (PicturePoint{639, 479}));
    EXPECT_FALSE(At(640, 480, 640, 0));
    EXPECT_FALSE(At(640, 480, 0, 480));
    EXPECT_FALSE(At(640, 480, -1, 0));
    EXPECT_EQ(At(1280, 960, 1279, 959), (PicturePoint{639, 479}));
    EXPECT_FALSE(At(1281, 961, 1280, 960));
}

TEST(WindowToPicture, WindowSmallerThanThePictureShowsItsMiddle) {
    EXPECT_EQ(At(600, 400, 0, 0), (PicturePoint{20, 40}));
    EXPECT_EQ(At(600, 400, 599, 399), (PicturePoint{619, 439}));
}

} // namespace
} // namespace desktop
