#pragma once
#include "ui/element.h"

typedef struct _TTF_Font TTF_Font;

// The three font files linked into the program (see cmake/embed.cmake).
extern "C" {
extern const unsigned char font_comic_neue_bold[], font_comic_neue_bold_end[];
extern const unsigned char font_liberation_sans[], font_liberation_sans_end[];
extern const unsigned char font_liberation_sans_bold[], font_liberation_sans_bold_end[];
}

namespace ui {

// The carried font that stands in for `font`, opened at its size and kept for the
// program's life. Null only when the embedded file cannot be read.
TTF_Font* OpenFont(const Font& font);

} // namespace ui
