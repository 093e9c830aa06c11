#pragma once
#include <functional>

#include "app/desktop/sdl_host.h"
#include "game/form1.h"

namespace desktop {

// The game on the desktop, from its command line to its exit status. A build
// for tests adds what it needs once the window is wired (`wired`); the game
// players install adds nothing.
int Main(int argc, char** argv, const std::function<void(game::Form1&, SdlHost&)>& wired = {});

} // namespace desktop
