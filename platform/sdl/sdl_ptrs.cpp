#include "platform/sdl/sdl_ptrs.h"

#include <SDL_audio.h>
#include <SDL_gamecontroller.h>
#include <SDL_video.h>

namespace platform {

void SdlWindowDeleter::operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
void SdlGameControllerDeleter::operator()(SDL_GameController* c) const { SDL_GameControllerClose(c); }
void SdlWavDeleter::operator()(Uint8* samples) const { SDL_FreeWAV(samples); }

} // namespace platform
