#include "app/desktop/frame_scale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace desktop {
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

TEST(ScaleInBandsTest, GivesTheSamePictureAsOneGoAndStopsBetweenBandsOnly) {
    // 21 rows: more than one band at 3x and up, and a last band shorter than the rest.
    for (const int w : {640, 7}) {
        const int h = 21;
        std::vector<uint32_t> src(static_cast<size_t>(w * h));
        for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint32_t>(i * 2654435761u);
        for (int scale = 1; scale <= 5; ++scale) {
            const int pitchPixels = w * scale + 5;
            const size_t size = static_cast<size_t>(pitchPixels) * static_cast<size_t>(h * scale + 2);
            std::vector<uint32_t> whole(size, 0xDEAD), banded(size, 0xDEAD);
            ScaleWhole(src.data(), w, h, scale, whole.data(), pitchPixels * 4);
            int stops = 0;
            ScaleInBands(src.data(), w, h, scale, banded.data(), pitchPixels * 4, [&] { ++stops; });
            EXPECT_EQ(banded, whole) << "width " << w << " scale " << scale;
            const int band = BandRows(w, scale);
            EXPECT_EQ(stops, (h + band - 1) / band - 1) << "width " << w << " scale " << scale;
            if (w == 640 && scale >= 3) {
                EXPECT_GT(stops, 0) << "a large picture must not be scaled in one go";
            }
        }
    }
}

TEST(ScaleInBandsTest, BandsHoldAboutTheSameWorkAtEveryScale) {
    EXPECT_EQ(BandRows(640, 4), 8);
    EXPECT_EQ(BandRows(640, 2), 32);
    EXPECT_EQ(BandRows(640, 1), 128);
    EXPECT_EQ(BandRows(100000, 9), 1) << "never less than a row";
    EXPECT_EQ(BandRows(0, 1), BandRows(1, 1)) << "an empty picture must not divide by zero";
}

} // namespace
} // namespace desktop
