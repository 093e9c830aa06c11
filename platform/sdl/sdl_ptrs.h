#pragma once
// Owning pointers for what SDL hands out, each released by the call SDL pairs
// with it. The toolkit frees its decoded pictures, rendered text and fonts
// through these too, so this header includes only what the toolkit may; the
// deleters that need SDL's video or audio headers live in sdl_ptrs.cpp.
#include <SDL_rwops.h>
#include <SDL_surface.h>
#include <SDL_ttf.h>

#include <memory>

struct SDL_Window;
struct _SDL_GameController;

namespace platform {

struct SdlSurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
struct SdlRWopsDeleter {
    void operator()(SDL_RWops* rw) const { SDL_RWclose(rw); }
};
struct TtfFontDeleter {
    void operator()(TTF_Font* f) const { TTF_CloseFont(f); }
};
struct SdlWindowDeleter {
    void operator()(SDL_Window* w) const;
};
struct SdlGameControllerDeleter {
    void operator()(_SDL_GameController* c) const;
};
// The sample buffer of SDL_LoadWAV_RW.
struct SdlWavDeleter {
    void operator()(Uint8* samples) const;
};

using SurfacePtr = std::unique_ptr<SDL_Surface, SdlSurfaceDeleter>;
using RWopsPtr = std::unique_ptr<SDL_RWops, SdlRWopsDeleter>;
using FontPtr = std::unique_ptr<TTF_Font, TtfFontDeleter>;
using WindowPtr = std::unique_ptr<SDL_Window, SdlWindowDeleter>;
using GameControllerPtr = std::unique_ptr<_SDL_GameController, SdlGameControllerDeleter>;
using WavSamplesPtr = std::unique_ptr<Uint8, SdlWavDeleter>;

} // namespace platform
