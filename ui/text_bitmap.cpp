#include "ui/text_bitmap.h"

#include <SDL_ttf.h>

#include <algorithm>
#include <cstring>

#include "platform/sdl/sdl_ptrs.h"
#include "ui/fonts.h"

namespace ui {

namespace {

const SDL_Color kWhite{255, 255, 255, 255};

platform::SurfacePtr Wrapped(TTF_Font* ttf, const std::string& text, int wrapWidth) {
    return platform::SurfacePtr(
        TTF_RenderUTF8_Blended_Wrapped(ttf, text.c_str(), kWhite, static_cast<Uint32>(wrapWidth)));
}

// The text's first `length` bytes, or fewer, not ending inside a character.
std::string Start(const std::string& text, size_t length) {
    if (length >= text.size()) return text;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    return text.substr(0, length);
}

// Wrapping measures the whole rest of the text for every line it breaks, so a
// long text costs the square of its length. Only the lines that reach into
// `maxHeight` show, and they come out the same from any start of the text that
// runs past the line after them: a longer and longer start is wrapped until it
// makes more lines than show. No start need be longer than those lines can
// hold, a glyph advancing at least a pixel and taking at most 4 bytes.
platform::SurfacePtr WrappedLinesShown(TTF_Font* ttf, const std::string& text, int wrapWidth, int maxHeight) {
    const int skip = std::max(1, TTF_FontLineSkip(ttf));
    const size_t linesShown = static_cast<size_t>(maxHeight / skip + 1);
    const size_t enough = (linesShown + 2) * (static_cast<size_t>(wrapWidth) + 1) * 4;
    const size_t whole = std::min(std::strlen(text.c_str()), enough);
    for (size_t length = 1024; length < whole; length *= 2) {
        const std::string start = Start(text, length);
        platform::SurfacePtr s = Wrapped(ttf, start, wrapWidth);
        int firstRow = 0;
        if (!s || TTF_SizeUTF8(ttf, start.c_str(), nullptr, &firstRow) != 0) continue;
        const size_t lines = static_cast<size_t>((s->h - std::max(firstRow, skip)) / skip + 1);
        if (lines > linesShown + 1) return s;
    }
    return Wrapped(ttf, Start(text, whole), wrapWidth);
}

} // namespace

TextBitmap RenderText(const Font& font, const std::string& text, int wrapWidth, int maxHeight) {
    TextBitmap out;
    TTF_Font* ttf = text.empty() ? nullptr : OpenFont(font);
    if (!ttf) return out;
    platform::SurfacePtr s = wrapWidth <= 0 ? platform::SurfacePtr(TTF_RenderUTF8_Blended(ttf, text.c_str(), kWhite))
                             : maxHeight > 0 ? WrappedLinesShown(ttf, text, wrapWidth, maxHeight)
                                             : Wrapped(ttf, text, wrapWidth);
    if (!s || s->format->BytesPerPixel != 4) return out;
    out.width = s->w;
    out.height = s->h;
    SDL_LockSurface(s.get());
    const int ashift = s->format->Ashift;
    for (int y = 0; y < s->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) +
                                                            static_cast<ptrdiff_t>(y) * s->pitch);
        int x = 0;
        while (x < s->w) {
            while (x < s->w && ((row[x] >> ashift) & 0xFF) == 0) ++x;
            if (x == s->w) break;
            const int start = x;
            const auto offset = static_cast<uint32_t>(out.coverage.size());
            while (x < s->w && ((row[x] >> ashift) & 0xFF) != 0) out.coverage.push_back((row[x++] >> ashift) & 0xFF);
            out.runs.push_back({static_cast<int16_t>(start), static_cast<int16_t>(y),
                                static_cast<int16_t>(x - start), offset});
        }
    }
    SDL_UnlockSurface(s.get());
    return out;
}

int LineHeight(const Font& font) {
    TTF_Font* ttf = OpenFont(font);
    return ttf ? TTF_FontLineSkip(ttf) : 0;
}

} // namespace ui
