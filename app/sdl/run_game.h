#pragma once
#include <functional>
#include <string>

#include "app/sdl/sdl_host_base.h"
#include "game/form1.h"
#include "platform/counter.h"
#include "platform/display_driver.h"
#include "platform/file_store.h"
#include "platform/random.h"
#include "platform/wave_player.h"

namespace sdl {

// The machine's side of the game, as a front end makes it.
struct GameParts {
    platform::Counter& counter;
    platform::DisplayDriver& display;
    platform::WavePlayer& player;
    platform::Random& random;
    platform::FileStore& files;
};

// What a front end adds at the two moments of the start.
struct GameSteps {
    // The window is wired to the host; the game has not loaded yet.
    std::function<void(game::Form1&)> wired;
    // The intro screen is up.
    std::function<void()> shown;
    // The game window is gone, however it ended.
    std::function<void()> ended;
};

// Plays the game window in the host's window until it quits, and gives the
// exit status: the quit sequence's, or 2 when a run-time error reached the
// top, which is then told on standard error and in `failure`.
int RunGame(SdlHostBase& host, const GameParts& parts, const GameSteps& steps, std::string* failure);

} // namespace sdl
