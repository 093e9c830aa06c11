#pragma once
#include <optional>

namespace platform {

// Where the 640x480 picture lies in a window of any size: scaled by the
// largest whole number that fits (1 when none does), centred, the rest black.
struct PictureFit {
    int scale = 1;
    int left = 0;  // of the scaled picture, in window pixels; negative in a window smaller than the picture
    int top = 0;
};

PictureFit FitPicture(int windowWidth, int windowHeight);

struct PicturePoint {
    int x = 0;
    int y = 0;
    bool operator==(const PicturePoint&) const = default;
};

// The picture pixel under a window point, or none in the black border.
std::optional<PicturePoint> WindowToPicture(const PictureFit& fit, int windowX, int windowY);

} // namespace platform
