#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ui/element.h"

namespace ui {

// Rendered text as coverage runs, so that drawing it touches only the pixels
// that carry ink and its colour can change without rendering it again.
struct TextBitmap {
    struct Run {
        int16_t x, y, length;
        uint32_t offset;  // into coverage
    };
    int width = 0;
    int height = 0;
    std::vector<Run> runs;
    std::vector<uint8_t> coverage;
};

// Renders `text` in the font. With a wrap width above 0 the text breaks into
// lines at blanks to fit that width and at every carriage return; with a
// height above 0 too, the lines below that height may be left out.
TextBitmap RenderText(const Font& font, const std::string& text, int wrapWidth, int maxHeight = 0);

// The height of a line of text in the font, in pixels.
int LineHeight(const Font& font);

} // namespace ui
