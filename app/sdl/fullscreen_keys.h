#pragma once
#include <SDL_keyboard.h>
#include <SDL_video.h>

#include <bitset>
#include <optional>

namespace sdl {

// Alt+Enter and F11 switch between the window and desktop fullscreen. They are
// the desktop's keys, not the game's: their presses, repeats and releases are
// kept from it, while every other key (Alt itself included) goes through.
class FullscreenKeys {
public:
    enum class Verdict { Pass, Toggle, Swallow };
    Verdict OnKey(bool down, SDL_Scancode scancode, Uint16 mod, bool repeat);

private:
    std::bitset<SDL_NUM_SCANCODES> kept_;  // pressed as a toggle, so their release is kept too
};

// The fullscreen flags a toggle sets on a window with `windowFlags`, or nothing
// while the window shows a display mode of the game's own, which stays as it is.
std::optional<Uint32> ToggledFullscreen(Uint32 windowFlags);

} // namespace sdl
