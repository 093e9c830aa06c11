#pragma once

namespace game {
class Form1;
}

namespace sdl {

// The desktop's part in the game: what the window's focus and the gamepad mean
// for it.

// A window that loses the focus during a ride, with the game menu hidden, gets
// an Escape press: the menu opens and the car stands, as if the player had
// pressed it. Otherwise nothing happens.
void OnFocusLost(game::Form1& form);

// Whether a panel with buttons is in front: the intro panel, the game menu or
// the game-over panel.
bool ButtonsInFront(const game::Form1& form);

} // namespace sdl
