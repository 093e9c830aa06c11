#include "platform/sdl/sdl_ptrs.h"

#include <SDL_audio.h>
#include <SDL_gamecontroller.h>
#include <SDL_render.h>
#include <SDL_video.h>

namespace platform {

void SdlWindowDeleter::operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
void SdlRendererDeleter::operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
void SdlTextureDeleter::operator()(SDL_Texture* t) const { SDL_DestroyTexture(t); }
void SdlGameControllerDeleter::operator()(SDL_GameController* c) const { SDL_GameControllerClose(c); }
void SdlWavDeleter::operator()(Uint8* samples) const { SDL_FreeWAV(samples); }

} // namespace platform
