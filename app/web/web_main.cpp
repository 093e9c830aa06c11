#include "app/web/web_main.h"

#include <emscripten.h>

#include <cstdio>
#include <string>

#include "app/sdl/run_game.h"
#include "app/web/browser.h"
#include "app/web/browser_platform.h"
#include "app/web/web_audio.h"
#include "platform/posix/posix_file_store.h"

namespace web {

int Main(platform::Random& random, const std::function<void(game::Form1*, WebHost*)>& attach) {
    WebHost host;
    if (!host.Open("Trakmor")) {
        Ended(1, host.Error().c_str());
        return 1;
    }
    BrowserCounter counter;
    NoDisplayModes display;
    WebAudioPlayer player;
    platform::PosixFileStore files;
    sdl::GameSteps steps;
    if (attach) {
        steps.wired = [&](game::Form1& form) { attach(&form, &host); };
        steps.ended = [&] { attach(nullptr, nullptr); };
    }
    steps.shown = [&player] {
        EM_ASM({ performance.mark('trakmor-intro-presented'); });
        player.Open();
    };
    std::string failure;
    const int status = sdl::RunGame(host, {counter, display, player, random, files}, steps, &failure);
    Ended(status, failure.c_str());
    return status;
}

} // namespace web
