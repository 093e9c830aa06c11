#pragma once
#include <cstdint>

#include "ui/picture.h"
#include "ui/surface.h"
#include "ui/text_bitmap.h"

namespace ui::draw {

// A rectangle in frame pixels; right and bottom are exclusive.
struct Rect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    static Rect Sized(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }
    int Width() const { return x1 - x0; }
    int Height() const { return y1 - y0; }
    bool Empty() const { return x1 <= x0 || y1 <= y0; }
    bool Contains(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
    Rect Intersect(const Rect& o) const;
};

// Every primitive draws only inside `clip` (which must lie inside the frame).
void Fill(Surface& f, const Rect& clip, const Rect& r, uint32_t rgb);
// A one-pixel frame just inside r.
void Frame(Surface& f, const Rect& clip, const Rect& r, uint32_t rgb);
// A one-pixel edge inside r: top and left in `topLeft`, bottom and right in `bottomRight`.
void Edge(Surface& f, const Rect& clip, const Rect& r, uint32_t topLeft, uint32_t bottomRight);
// Every other pixel of a one-pixel frame, as a focus mark.
void DottedFrame(Surface& f, const Rect& clip, const Rect& r, uint32_t rgb);
void Line(Surface& f, const Rect& clip, int x0, int y0, int x1, int y1, uint32_t rgb);
// A solid triangle pointing up or down, `size` pixels high, its tip centred on cx.
void Arrow(Surface& f, const Rect& clip, int cx, int top, int size, bool up, uint32_t rgb);
// A picture at its own size; transparent pixels leave the frame as it was.
void Picture(Surface& f, const Rect& clip, const ui::Picture& p, int x, int y);
void Image(Surface& f, const Rect& clip, const Surface& image, int x, int y);
void Text(Surface& f, const Rect& clip, const TextBitmap& text, int x, int y, uint32_t rgb);

} // namespace ui::draw
