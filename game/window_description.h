#pragma once

namespace game {

class Form1;

// Gives the window's elements the pictures and sound properties that the
// program carries in its window description.
void LoadWindowDescription(Form1& form);

} // namespace game
