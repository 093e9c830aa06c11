#include "ui/surface.h"

#include <algorithm>
#include <cstring>

namespace ui {

Surface::Surface(int width, int height, uint32_t rgb) { Resize(width, height, rgb); }

void Surface::Resize(int width, int height, uint32_t rgb) {
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), rgb);
}

void Surface::Fill(uint32_t rgb) { std::fill(pixels_.begin(), pixels_.end(), rgb); }

void Surface::FillRect(int x, int y, int w, int h, uint32_t rgb) {
    const int x0 = std::max(0, x), y0 = std::max(0, y);
    const int x1 = std::min(width_, x + w), y1 = std::min(height_, y + h);
    for (int yy = y0; yy < y1; ++yy) std::fill(Row(yy) + x0, Row(yy) + x1, rgb);
}

void Surface::Paint(const Picture& picture, int x, int y, int w, int h) {
    if (w == 0 || h <= 0 || picture.width <= 0 || picture.height <= 0) return;
    const bool mirror = w < 0;
    const int dw = mirror ? -w : w;
    const int left = mirror ? x + w + 1 : x;
    for (int dy = 0; dy < h; ++dy) {
        const int ty = y + dy;
        if (ty < 0 || ty >= height_) continue;
        const int sy = static_cast<int>(static_cast<int64_t>(dy) * picture.height / h);
        const uint32_t* src = picture.argb.data() + static_cast<size_t>(sy) * static_cast<size_t>(picture.width);
        uint32_t* dst = Row(ty);
        for (int dx = 0; dx < dw; ++dx) {
            const int tx = left + dx;
            if (tx < 0 || tx >= width_) continue;
            int sx = static_cast<int>(static_cast<int64_t>(dx) * picture.width / dw);
            if (mirror) sx = picture.width - 1 - sx;
            const uint32_t p = src[sx];
            if ((p >> 24) != 0) dst[tx] = p & 0xFFFFFFu;
        }
    }
}

void Surface::Blit(const Surface& src, int sx, int sy, int w, int h, int dx, int dy) {
    // Clip against the source, then the destination, moving both corners together.
    if (sx < 0) { w += sx; dx -= sx; sx = 0; }
    if (sy < 0) { h += sy; dy -= sy; sy = 0; }
    if (dx < 0) { w += dx; sx -= dx; dx = 0; }
    if (dy < 0) { h += dy; sy -= dy; dy = 0; }
    w = std::min({w, src.width_ - sx, width_ - dx});
    h = std::min({h, src.height_ - sy, height_ - dy});
    if (w <= 0 || h <= 0) return;
    const size_t bytes = static_cast<size_t>(w) * sizeof(uint32_t);
    for (int row = 0; row < h; ++row) std::memcpy(Row(dy + row) + dx, src.Row(sy + row) + sx, bytes);
}

} // namespace ui
