#include "ui/text_bitmap.h"

#include <SDL_ttf.h>

#include "platform/sdl/sdl_ptrs.h"
#include "ui/fonts.h"

namespace ui {

TextBitmap RenderText(const Font& font, const std::string& text, int wrapWidth) {
    TextBitmap out;
    TTF_Font* ttf = text.empty() ? nullptr : OpenFont(font);
    if (!ttf) return out;
    const SDL_Color white{255, 255, 255, 255};
    platform::SurfacePtr s(
        wrapWidth > 0 ? TTF_RenderUTF8_Blended_Wrapped(ttf, text.c_str(), white, static_cast<Uint32>(wrapWidth))
                      : TTF_RenderUTF8_Blended(ttf, text.c_str(), white));
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
