#pragma once
#include <cstdint>

namespace platform {

// Where a picture of w x h goes in a target of tw x th: the largest whole
// number scale that fits (at least 1), centred.
struct Placement {
    int scale = 1;
    int x = 0, y = 0, w = 0, h = 0;
};
Placement PlacePicture(int w, int h, int tw, int th);

// Enlarges a w x h image of 32-bit pixels by a whole number, each pixel
// becoming a scale x scale block (crisp, no filtering). `dst` points at the
// block of the top-left pixel; `dstPitch` is the target's row length in bytes.
void ScaleWhole(const uint32_t* src, int w, int h, int scale, uint32_t* dst, int dstPitch);

} // namespace platform
