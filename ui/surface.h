#pragma once
#include <cstdint>
#include <vector>

#include "ui/picture.h"

namespace ui {

// A persistent off-screen image, 0x00RRGGBB per pixel.
class Surface {
public:
    Surface() = default;
    Surface(int width, int height, uint32_t rgb = 0);

    int Width() const { return width_; }
    int Height() const { return height_; }
    uint32_t* Row(int y) { return pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_); }
    const uint32_t* Row(int y) const { return pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_); }
    uint32_t At(int x, int y) const { return Row(y)[x]; }
    std::vector<uint32_t>& Pixels() { return pixels_; }
    const std::vector<uint32_t>& Pixels() const { return pixels_; }

    void Resize(int width, int height, uint32_t rgb);
    void Fill(uint32_t rgb);
    void FillRect(int x, int y, int w, int h, uint32_t rgb);
    // Paints a picture scaled to w by h at x, y; a negative w mirrors it left to
    // right over x + w + 1 .. x. Transparent pixels leave the image as it was.
    void Paint(const Picture& picture, int x, int y, int w, int h);
    // Plain copy of a w by h rectangle of src at sx, sy to dx, dy, clipped to both.
    void Blit(const Surface& src, int sx, int sy, int w, int h, int dx, int dy);

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

} // namespace ui
