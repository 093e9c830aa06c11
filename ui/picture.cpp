#include "ui/picture.h"

#include <SDL_image.h>
#include <SDL_pixels.h>
#include <SDL_rwops.h>
#include <SDL_surface.h>

#include "platform/sdl/sdl_ptrs.h"

namespace ui {

namespace {

using platform::SurfacePtr;

uint32_t ApplyTransparency(uint32_t p, Transparency t) {
    const uint32_t rgb = p & 0xFFFFFFu;
    switch (t) {
    case Transparency::Opaque: return rgb | 0xFF000000u;
    case Transparency::WhiteKey: return rgb == 0xFFFFFFu ? rgb : rgb | 0xFF000000u;
    case Transparency::Mask: return (p >> 24) >= 128 ? rgb | 0xFF000000u : rgb;
    }
    return p;
}

} // namespace

std::shared_ptr<const Picture> Picture::Decode(std::span<const uint8_t> file, Transparency transparency) {
    if (file.empty()) return nullptr;
    SDL_RWops* rw = SDL_RWFromConstMem(file.data(), static_cast<int>(file.size()));
    if (!rw) return nullptr;
    SurfacePtr decoded(IMG_Load_RW(rw, 1));
    if (!decoded) return nullptr;
    SurfacePtr argb(SDL_ConvertSurfaceFormat(decoded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    if (!argb) return nullptr;

    auto picture = std::make_shared<Picture>();
    picture->width = argb->w;
    picture->height = argb->h;
    picture->transparency = transparency;
    picture->file.assign(file.begin(), file.end());
    picture->argb.resize(static_cast<size_t>(argb->w) * static_cast<size_t>(argb->h));
    SDL_LockSurface(argb.get());
    for (int y = 0; y < argb->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) +
                                                            static_cast<ptrdiff_t>(y) * argb->pitch);
        uint32_t* out = picture->argb.data() + static_cast<size_t>(y) * static_cast<size_t>(argb->w);
        for (int x = 0; x < argb->w; ++x) out[x] = ApplyTransparency(row[x], transparency);
    }
    SDL_UnlockSurface(argb.get());
    return picture;
}

std::shared_ptr<const Picture> Picture::FromPixels(int width, int height, std::vector<uint32_t> argb) {
    if (width < 0 || height < 0 || argb.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        return nullptr;
    auto picture = std::make_shared<Picture>();
    picture->width = width;
    picture->height = height;
    picture->transparency = Transparency::Mask;
    for (uint32_t& p : argb) p = (p >> 24) != 0 ? p | 0xFF000000u : p & 0xFFFFFFu;
    picture->argb = std::move(argb);
    return picture;
}

} // namespace ui
