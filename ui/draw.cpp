#include "ui/draw.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace ui::draw {

Rect Rect::Intersect(const Rect& o) const {
    return {std::max(x0, o.x0), std::max(y0, o.y0), std::min(x1, o.x1), std::min(y1, o.y1)};
}

void Fill(Surface& f, const Rect& clip, const Rect& r, uint32_t rgb) {
    const Rect c = r.Intersect(clip);
    if (c.Empty()) return;
    // One row filled, then copied: the copy is the faster store for wide areas.
    uint32_t* first = f.Row(c.y0) + c.x0;
    std::fill(first, first + c.Width(), rgb);
    const size_t bytes = static_cast<size_t>(c.Width()) * sizeof(uint32_t);
    for (int y = c.y0 + 1; y < c.y1; ++y) std::memcpy(f.Row(y) + c.x0, first, bytes);
}

void Frame(Surface& f, const Rect& clip, const Rect& r, uint32_t rgb) { Edge(f, clip, r, rgb, rgb); }

void Edge(Surface& f, const Rect& clip, const Rect& r, uint32_t topLeft, uint32_t bottomRight) {
    if (r.Empty()) return;
    Fill(f, clip, {r.x0, r.y0, r.x1, r.y0 + 1}, topLeft);
    Fill(f, clip, {r.x0, r.y0, r.x0 + 1, r.y1}, topLeft);
    Fill(f, clip, {r.x0, r.y1 - 1, r.x1, r.y1}, bottomRight);
    Fill(f, clip, {r.x1 - 1, r.y0, r.x1, r.y1}, bottomRight);
}

void DottedFrame(Surface& f, const Rect& clip, const Rect& r, uint32_t rgb) {
    if (r.Empty()) return;
    auto dot = [&](int x, int y) {
        if (clip.Contains(x, y)) f.Row(y)[x] = rgb;
    };
    for (int x = r.x0; x < r.x1; x += 2) {
        dot(x, r.y0);
        dot(x, r.y1 - 1);
    }
    for (int y = r.y0; y < r.y1; y += 2) {
        dot(r.x0, y);
        dot(r.x1 - 1, y);
    }
}

void Line(Surface& f, const Rect& clip, int x0, int y0, int x1, int y1, uint32_t rgb) {
    // The end point is left out, as the classic line drawing does.
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    while (x0 != x1 || y0 != y1) {
        if (clip.Contains(x0, y0)) f.Row(y0)[x0] = rgb;
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x0 += sx; }
        if (e2 <= dx) { err += dx; y0 += sy; }
    }
}

void Arrow(Surface& f, const Rect& clip, int cx, int top, int size, bool up, uint32_t rgb) {
    for (int i = 0; i < size; ++i) {
        const int half = up ? i : size - 1 - i;
        Fill(f, clip, {cx - half, top + i, cx + half + 1, top + i + 1}, rgb);
    }
}

void Picture(Surface& f, const Rect& clip, const ui::Picture& p, int x, int y) {
    const Rect c = Rect::Sized(x, y, p.width, p.height).Intersect(clip);
    if (c.Empty()) return;
    for (int ty = c.y0; ty < c.y1; ++ty) {
        const uint32_t* src = p.argb.data() + static_cast<size_t>(ty - y) * static_cast<size_t>(p.width) +
                              (c.x0 - x);
        uint32_t* dst = f.Row(ty) + c.x0;
        for (int i = 0; i < c.Width(); ++i)
            if (src[i] >> 24) dst[i] = src[i] & 0xFFFFFFu;
    }
}

void Image(Surface& f, const Rect& clip, const Surface& image, int x, int y) {
    const Rect c = Rect::Sized(x, y, image.Width(), image.Height()).Intersect(clip);
    if (c.Empty()) return;
    f.Blit(image, c.x0 - x, c.y0 - y, c.Width(), c.Height(), c.x0, c.y0);
}

void Text(Surface& f, const Rect& clip, const TextBitmap& text, int x, int y, uint32_t rgb) {
    const Rect box = Rect::Sized(x, y, text.width, text.height).Intersect(clip);
    if (box.Empty()) return;
    // Red and blue blend together in one word, green in another; coverage is
    // scaled to 0..256 so that full ink and no ink keep their exact colours.
    const uint32_t srb = rgb & 0xFF00FFu, sg = rgb & 0x00FF00u;
    for (const TextBitmap::Run& run : text.runs) {
        const int ty = y + run.y;
        if (ty < box.y0 || ty >= box.y1) continue;
        const int from = std::max(x + run.x, box.x0), to = std::min(x + run.x + run.length, box.x1);
        if (from >= to) continue;
        const uint8_t* cov = text.coverage.data() + run.offset + (from - x - run.x);
        uint32_t* dst = f.Row(ty) + from;
        for (int i = 0; i < to - from; ++i) {
            const uint32_t a = cov[i] + (cov[i] >> 7), na = 256 - a;
            const uint32_t d = dst[i];
            const uint32_t rb = ((srb * a + (d & 0xFF00FFu) * na) >> 8) & 0xFF00FFu;
            const uint32_t g = ((sg * a + (d & 0x00FF00u) * na) >> 8) & 0x00FF00u;
            dst[i] = rb | g;
        }
    }
}

} // namespace ui::draw
