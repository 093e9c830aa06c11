#include "app/desktop/desktop_main.h"

#include <cstdio>
#include <iostream>

#include "app/command_line.h"
#include "app/sdl/run_game.h"
#include "platform/display_guard.h"
#include "platform/native_file_store.h"
#include "platform/random.h"
#include "platform/sdl/sdl_counter.h"
#include "platform/sdl/sdl_display_driver.h"
#include "platform/sdl/sdl_wave_player.h"
#ifdef _WIN32
#include "app/desktop/windows_console.h"
#endif

namespace desktop {

int Main(int argc, char** argv, const Additions& additions) {
#ifdef _WIN32
    UseParentConsole();
#endif
    if (auto status = app::HandleCommandLine(argc, argv, std::cout, std::cerr)) return *status;
    SdlHost host;
    if (!host.Open("Trakmor")) {
        std::fprintf(stderr, "trakmor: %s\n", host.Error().c_str());
        return 1;
    }
    platform::SdlCounter counter;
    platform::SdlDisplayDriver display;
    display.SetWindow(host.Window());
    platform::SdlWavePlayer player;
    platform::MersenneRandom mersenne;
    platform::NativeFileStore files;
    sdl::GameSteps steps;
    steps.wired = [&](game::Form1& form) {
        if (form.window.Icon) host.SetIcon(*form.window.Icon);
        platform::InstallDisplayRestoreOnSignals([&display] { display.LeaveGameMode(); });
        if (additions.wired) additions.wired(form, host);
    };
    steps.ended = additions.ended;
    return sdl::RunGame(host, {counter, display, player, additions.random ? *additions.random : mersenne, files}, steps, nullptr);
}

} // namespace desktop
