#pragma once
// Small picture files made for the toolkit's tests.
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/little_endian.h"

namespace ui_test {

using platform::Put16;
using platform::Put32;

// A 4 by 2 GIF87a: white, red, white, black / blue, white, lime, white.
inline const std::vector<uint8_t> kSmallGif = {
    0x47, 0x49, 0x46, 0x38, 0x37, 0x61, 0x04, 0x00, 0x02, 0x00, 0xf2, 0x04, 0x00, 0x00, 0x00,
    0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x02,
    0x00, 0x00, 0x03, 0x06, 0x48, 0x41, 0x30, 0x24, 0x24, 0x01, 0x00, 0x3b};


// An icon file in the layout of the game's icons: one image of 8 bits per pixel
// with a 256-entry palette, followed by its 1-bit mask (a set bit is transparent).
// `paletteIndex` and `masked` are asked for each pixel, top row first.
inline std::vector<uint8_t> MakeIcon(int size, const std::vector<uint32_t>& paletteRgb,
                                     const std::function<int(int x, int y)>& paletteIndex,
                                     const std::function<bool(int x, int y)>& masked) {
    const int pixelRow = (size + 3) / 4 * 4;
    const int maskRow = ((size + 31) / 32) * 4;
    const uint32_t imageBytes = 40 + 256 * 4 + static_cast<uint32_t>(pixelRow * size + maskRow * size);
    std::vector<uint8_t> v;
    Put16(v, 0);
    Put16(v, 1);
    Put16(v, 1);
    v.push_back(static_cast<uint8_t>(size));
    v.push_back(static_cast<uint8_t>(size));
    v.push_back(0);
    v.push_back(0);
    Put16(v, 1);
    Put16(v, 8);
    Put32(v, imageBytes);
    Put32(v, 22);
    Put32(v, 40);
    Put32(v, static_cast<uint32_t>(size));
    Put32(v, static_cast<uint32_t>(size * 2));
    Put16(v, 1);
    Put16(v, 8);
    for (int i = 0; i < 6; ++i) Put32(v, 0);
    for (int i = 0; i < 256; ++i) {
        const uint32_t rgb = i < static_cast<int>(paletteRgb.size()) ? paletteRgb[static_cast<size_t>(i)] : 0;
        v.push_back(rgb & 0xFF);
        v.push_back((rgb >> 8) & 0xFF);
        v.push_back((rgb >> 16) & 0xFF);
        v.push_back(0);
    }
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < pixelRow; ++x) v.push_back(x < size ? static_cast<uint8_t>(paletteIndex(x, y)) : 0);
    for (int y = size - 1; y >= 0; --y)
        for (int byte = 0; byte < maskRow; ++byte) {
            uint8_t bits = 0;
            for (int bit = 0; bit < 8; ++bit) {
                const int x = byte * 8 + bit;
                if (x < size && masked(x, y)) bits |= static_cast<uint8_t>(0x80 >> bit);
            }
            v.push_back(bits);
        }
    return v;
}

// A 32 by 32 icon: a red square from 8 to 23 on a masked ground, with a blue
// top-left pixel of the square.
inline std::vector<uint8_t> SquareIcon() {
    return MakeIcon(
        32, {0x000000, 0xFF0000, 0x0000FF},
        [](int x, int y) { return x == 8 && y == 8 ? 2 : (x >= 8 && x < 24 && y >= 8 && y < 24 ? 1 : 0); },
        [](int x, int y) { return !(x >= 8 && x < 24 && y >= 8 && y < 24); });
}

} // namespace ui_test
