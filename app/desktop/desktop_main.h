#pragma once
#include <functional>

#include "app/desktop/sdl_host.h"
#include "game/form1.h"
#include "platform/random.h"

namespace desktop {

// The game on the desktop, from its command line to its exit status. A build
// for tests adds what it needs once the window is wired (`wired`) and may give
// the road's random numbers (`random`); the game players install does neither.
int Main(int argc, char** argv, const std::function<void(game::Form1&, SdlHost&)>& wired = {},
         platform::Random* random = nullptr);

} // namespace desktop
