#include "app/desktop/frame_scale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace platform {
namespace {

TEST(PlacePictureTest, LargestWholeScaleCentred) {
    const Placement p = PlacePicture(640, 480, 1400, 1000);
    EXPECT_EQ(p.scale, 2);
    EXPECT_EQ(p.x, 60);
    EXPECT_EQ(p.y, 20);
    EXPECT_EQ(p.w, 1280);
    EXPECT_EQ(p.h, 960);
    EXPECT_EQ(PlacePicture(640, 480, 1920, 1440).scale, 3);
    EXPECT_EQ(PlacePicture(640, 480, 1920, 1439).scale, 2) << "both sides must fit";
    EXPECT_EQ(PlacePicture(640, 480, 2560, 1920).scale, 4);
    EXPECT_EQ(PlacePicture(640, 480, 640, 480).x, 0);
}

TEST(PlacePictureTest, ASmallerTargetKeepsScaleOneAndCentres) {
    const Placement p = PlacePicture(640, 480, 600, 470);
    EXPECT_EQ(p.scale, 1);
    EXPECT_EQ(p.x, -20);
    EXPECT_EQ(p.y, -5);
}

TEST(ScaleWholeTest, EveryPixelBecomesABlockAndTheRestIsLeftAlone) {
    const int w = 3, h = 2;
    const std::vector<uint32_t> src = {1, 2, 3, 4, 5, 6};
    for (int scale = 1; scale <= 5; ++scale) {
        const int pitchPixels = w * scale + 3;  // rows longer than the picture
        std::vector<uint32_t> dst(static_cast<size_t>(pitchPixels * (h * scale + 1)), 0xDEAD);
        ScaleWhole(src.data(), w, h, scale, dst.data(), pitchPixels * 4);
        for (int y = 0; y <= h * scale; ++y)
            for (int x = 0; x < pitchPixels; ++x) {
                const uint32_t got = dst[static_cast<size_t>(y * pitchPixels + x)];
                if (x < w * scale && y < h * scale)
                    EXPECT_EQ(got, src[static_cast<size_t>((y / scale) * w + x / scale)]) << scale << " " << x << "," << y;
                else
                    EXPECT_EQ(got, 0xDEADu) << "outside at scale " << scale << " " << x << "," << y;
            }
    }
}

} // namespace
} // namespace platform
