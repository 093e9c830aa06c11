#pragma once
#include <functional>

#include "app/desktop/sdl_host.h"
#include "game/form1.h"
#include "platform/random.h"

namespace desktop {

// What a build for tests adds to the game; the game players install adds nothing.
struct Additions {
    // Once the window is wired to the host, before the game loads.
    std::function<void(game::Form1&, SdlHost&)> wired;
    // Once the game window is gone, while SDL is still up: what `wired` made
    // and what still runs on SDL's threads (a timer) ends here.
    std::function<void()> ended;
    // The road's random numbers, instead of the clock-seeded ones.
    platform::Random* random = nullptr;
};

// The game on the desktop, from its command line to its exit status.
int Main(int argc, char** argv, const Additions& additions = {});

} // namespace desktop
