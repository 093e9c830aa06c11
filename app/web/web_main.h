#pragma once
#include <functional>

#include "app/web/web_host.h"
#include "game/form1.h"
#include "platform/random.h"

namespace web {

// The game in the page, until it quits; then the page is told how it ended.
// A build for tests gives its own random numbers and is shown the window
// once it is wired, and nothing (null) once it is gone, before the page is
// told (`attach`); the page players get adds nothing.
int Main(platform::Random& random, const std::function<void(game::Form1*, WebHost*)>& attach = {});

} // namespace web
