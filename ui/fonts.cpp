#include "ui/fonts.h"

#include <SDL_ttf.h>

#include <cmath>
#include <map>
#include <tuple>

#include "platform/sdl/sdl_ptrs.h"

namespace ui {

namespace {

struct FontFile {
    const unsigned char* begin;
    const unsigned char* end;
};

FontFile FileFor(const Font& font) {
    // Comic Neue comes in bold only among the faces we carry; it serves both weights.
    if (font.face == "Comic Sans MS") return {font_comic_neue_bold, font_comic_neue_bold_end};
    if (font.bold) return {font_liberation_sans_bold, font_liberation_sans_bold_end};
    return {font_liberation_sans, font_liberation_sans_end};
}

} // namespace

TTF_Font* OpenFont(const Font& font) {
    static std::map<std::tuple<std::string, double, bool>, platform::FontPtr> cache;
    auto key = std::make_tuple(font.face, font.points, font.bold);
    if (auto it = cache.find(key); it != cache.end()) return it->second.get();

    if (!TTF_WasInit() && TTF_Init() != 0) return nullptr;
    const FontFile file = FileFor(font);
    SDL_RWops* rw = SDL_RWFromConstMem(file.begin, static_cast<int>(file.end - file.begin));
    // Sizes such as 8.25 pt are quarter points at 96 dpi: four times the size at a
    // quarter of the resolution is a whole size and renders the same.
    const int quarterPoints = static_cast<int>(std::lround(font.points * 4.0));
    TTF_Font* opened = rw ? TTF_OpenFontDPIRW(rw, 1, quarterPoints, 24, 24) : nullptr;
    if (!opened) return nullptr;
    return cache.emplace(std::move(key), opened).first->second.get();
}

} // namespace ui
