#pragma once
#include <cstdint>
#include <functional>
#include <optional>

#include "app/sdl/picture_point.h"

namespace desktop {

// Where a picture of w x h goes in a target of tw x th: the largest whole
// number scale that fits (at least 1), centred.
struct Placement {
    int scale = 1;
    int x = 0, y = 0, w = 0, h = 0;
};
Placement PlacePicture(int w, int h, int tw, int th);

using sdl::PicturePoint;

// The picture pixel under a point of the target, or none in the border around it.
std::optional<PicturePoint> WindowToPicture(const Placement& at, int x, int y);

// Enlarges a w x h image of 32-bit pixels by a whole number, each pixel
// becoming a scale x scale block (crisp, no filtering). `dst` points at the
// block of the top-left pixel; `dstPitch` is the target's row length in bytes.
void ScaleWhole(const uint32_t* src, int w, int h, int scale, uint32_t* dst, int dstPitch);

// Picture rows per band when scaling is done a band at a time: about the same
// number of pixels written per band at every scale (8 rows at 4x).
int BandRows(int w, int scale);

// ScaleWhole a band at a time, calling `between` after each band but the last.
void ScaleInBands(const uint32_t* src, int w, int h, int scale, uint32_t* dst, int dstPitch,
                  const std::function<void()>& between);

} // namespace desktop
