#pragma once
#include <SDL_keyboard.h>

namespace sdl {

// The game's key code for a key of the keyboard, or 0 for a key that has none.
// Letters follow the layout (the key that types "a" is A); every other key goes
// by its position on a US keyboard, so punctuation, digits and the keypad give
// the same codes whatever the layout.
int VirtualKey(SDL_Scancode scancode, SDL_Keycode keycode);

} // namespace sdl
