#include "app/desktop/frame_scale.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace desktop {

namespace {
// A constant scale lets the compiler unroll the inner loop.
template <int S>
void ExpandRow(const uint32_t* src, int w, uint32_t* o) {
    for (int x = 0; x < w; ++x, o += S)
        for (int k = 0; k < S; ++k) o[k] = src[x];
}
} // namespace

Placement PlacePicture(int w, int h, int tw, int th) {
    Placement p;
    if (w > 0 && h > 0) p.scale = std::max(1, std::min(tw / w, th / h));
    p.w = w * p.scale;
    p.h = h * p.scale;
    p.x = (tw - p.w) / 2;
    p.y = (th - p.h) / 2;
    return p;
}

std::optional<PicturePoint> WindowToPicture(const Placement& at, int x, int y) {
    const int px = x - at.x, py = y - at.y;
    if (px < 0 || py < 0 || px >= at.w || py >= at.h) return std::nullopt;
    return PicturePoint{px / at.scale, py / at.scale};
}

void ScaleWhole(const uint32_t* src, int w, int h, int scale, uint32_t* dst, int dstPitch) {
    auto* out = reinterpret_cast<unsigned char*>(dst);
    const size_t rowBytes = static_cast<size_t>(w) * static_cast<size_t>(scale) * 4;
    for (int y = 0; y < h; ++y, src += w) {
        auto* first = reinterpret_cast<uint32_t*>(out);
        if (scale == 1) {
            std::memcpy(first, src, rowBytes);
        } else if (scale == 2) {
            ExpandRow<2>(src, w, first);
        } else if (scale == 3) {
            ExpandRow<3>(src, w, first);
        } else if (scale == 4) {
            ExpandRow<4>(src, w, first);
        } else {
            uint32_t* o = first;
            for (int x = 0; x < w; ++x, o += scale) std::fill(o, o + scale, src[x]);
        }
        out += dstPitch;
        // The other rows of the block are copies of the first.
        for (int r = 1; r < scale; ++r, out += dstPitch) std::memcpy(out, first, rowBytes);
    }
}

int BandRows(int w, int scale) {
    // About 320 KB a band: well under a tenth of a millisecond of writing here.
    constexpr long kBandPixels = 640L * 8 * 4 * 4;
    const long perRow = static_cast<long>(std::max(1, w)) * scale * scale;
    return static_cast<int>(std::max(1L, kBandPixels / perRow));
}

void ScaleInBands(const uint32_t* src, int w, int h, int scale, uint32_t* dst, int dstPitch,
                  const std::function<void()>& between) {
    const int band = BandRows(w, scale);
    auto* out = reinterpret_cast<unsigned char*>(dst);
    for (int y = 0; y < h; y += band) {
        const int rows = std::min(band, h - y);
        ScaleWhole(src + static_cast<size_t>(y) * static_cast<size_t>(w), w, rows, scale,
                   reinterpret_cast<uint32_t*>(out + static_cast<ptrdiff_t>(y) * scale * dstPitch), dstPitch);
        if (y + rows < h && between) between();
    }
}

} // namespace desktop
