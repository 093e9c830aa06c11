#include "app/desktop/sdl_window_target.h"

#include <algorithm>

namespace desktop {

namespace {
bool Inside(const SDL_Rect& at, const SDL_Surface* s) {
    return at.x >= 0 && at.y >= 0 && at.x + at.w <= s->w && at.y + at.h <= s->h;
}
bool Same(const SDL_Rect& a, const SDL_Rect& b) { return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h; }
} // namespace

bool SdlWindowTarget::Size(int* w, int* h) {
    // Rebuilds the surface after a resize: this is the events' thread.
    surface_ = SDL_GetWindowSurface(window_);
    if (!surface_) return false;
    *w = surface_->w;
    *h = surface_->h;
    return true;
}

SDL_Surface* SdlWindowTarget::Canvas(const SDL_Rect& at) {
    if (!surface_ || at.w <= 0 || at.h <= 0) return nullptr;
    if (Inside(at, surface_)) {
        if (!view_ || viewOf_ != surface_ || !Same(viewAt_, at)) {
            auto* corner = static_cast<unsigned char*>(surface_->pixels) + static_cast<ptrdiff_t>(at.y) * surface_->pitch +
                           static_cast<ptrdiff_t>(at.x) * surface_->format->BytesPerPixel;
            view_.reset(SDL_CreateRGBSurfaceWithFormatFrom(corner, at.w, at.h, surface_->format->BitsPerPixel,
                                                           surface_->pitch, surface_->format->format));
            viewOf_ = surface_;
            viewAt_ = at;
        }
        return view_.get();
    }
    if (!own_ || own_->w != at.w || own_->h != at.h || own_->format->format != surface_->format->format) {
        own_.reset(SDL_CreateRGBSurfaceWithFormat(0, at.w, at.h, surface_->format->BitsPerPixel, surface_->format->format));
        if (own_) SDL_SetSurfaceBlendMode(own_.get(), SDL_BLENDMODE_NONE);
    }
    return own_.get();
}

bool SdlWindowTarget::Show(const SDL_Rect& at, int windowW, int windowH, bool clearAround) {
    if (!surface_) return false;
    if (clearAround && !Inside(at, surface_)) {
        SDL_FillRect(surface_, nullptr, SDL_MapRGB(surface_->format, 0, 0, 0));
    } else if (clearAround) {
        const SDL_Rect around[4] = {{0, 0, windowW, at.y},
                                    {0, at.y + at.h, windowW, windowH - at.y - at.h},
                                    {0, at.y, at.x, at.h},
                                    {at.x + at.w, at.y, windowW - at.x - at.w, at.h}};
        SDL_FillRects(surface_, around, 4, SDL_MapRGB(surface_->format, 0, 0, 0));
    }
    if (!Inside(at, surface_) && own_) {
        SDL_Rect dst = at;
        SDL_BlitSurface(own_.get(), nullptr, surface_, &dst);
    }
    if (clearAround) return SDL_UpdateWindowSurface(window_) == 0;
    SDL_Rect shown{std::max(0, at.x), std::max(0, at.y), std::min(at.w, surface_->w), std::min(at.h, surface_->h)};
    return SDL_UpdateWindowSurfaceRects(window_, &shown, 1) == 0;
}

} // namespace desktop
