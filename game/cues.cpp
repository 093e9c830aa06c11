// The sound cues, by number: 0 rabbit, 1 bomb, 2 off the road, 3 bag, 4 tools.
#include "game/form1.h"

namespace game {

// Starting a sound lets the window's pending events run first, so a key or a
// click can be handled here, in the middle of a collision check or a steering
// step, and change the state that the caller goes on with.
void Form1::PlayCue(const int16_t& index) {
    EmbedSound1[static_cast<size_t>(index)]->PlaySound();
}

} // namespace game
