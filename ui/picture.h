#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace ui {

// How the pixels of a picture let what lies beneath show through.
enum class Transparency {
    Opaque,   // every pixel drawn (road pieces, the title picture)
    Mask,     // the file's own mask or alpha (icons)
    WhiteKey, // every pixel but pure white drawn (the car sprites)
};

// A decoded picture, held by picture boxes, images and sprites. Immutable, so
// holders share it when a picture is handed from one to another.
class Picture {
public:
    // Decodes an icon, GIF or JPEG file image; null when it cannot be decoded.
    static std::shared_ptr<const Picture> Decode(std::span<const uint8_t> file, Transparency transparency);
    // A picture made of pixels directly (0xAARRGGBB, alpha 0 = transparent).
    static std::shared_ptr<const Picture> FromPixels(int width, int height, std::vector<uint32_t> argb);

    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;  // row-major; alpha is 0 or 255
    std::vector<uint8_t> file;   // the file the picture came from, unchanged (empty for FromPixels)
    Transparency transparency = Transparency::Opaque;
};

using PicturePtr = std::shared_ptr<const Picture>;

} // namespace ui
