#pragma once
#include <SDL.h>

#include "app/sdl/gamepad.h"

namespace desktop {

// What the X11 desktop tells of itself. A window that does not live on X11
// gets the answers of a usual desktop.

// The desktop's key repeat delay and rate; `fallback` where it does not say.
sdl::RepeatTiming X11KeyRepeat(SDL_Window* window, sdl::RepeatTiming fallback = {});

// Whether a window manager runs, one that announces itself as today's do.
bool X11HasWindowManager(SDL_Window* window);

} // namespace desktop
