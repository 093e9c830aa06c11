// trakmor: the game in a window on the desktop.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>

#include "app/command_line.h"
#include "app/desktop/game_rules.h"
#include "app/desktop/sdl_host.h"
#include "app/desktop/test_hook.h"
#include "game/form1.h"
#include "platform/cue_gate.h"
#include "platform/display_guard.h"
#include "platform/posix/posix_file_store.h"
#include "platform/program_exit.h"
#include "platform/random.h"
#include "platform/sdl/sdl_counter.h"
#include "platform/sdl/sdl_display_driver.h"
#include "platform/sdl/sdl_wave_player.h"
#include "ui/window.h"

int main(int argc, char** argv) {
    if (auto status = app::HandleCommandLine(argc, argv, std::cout, std::cerr)) return *status;
    platform::SdlHost host;
    if (!host.Open("Trakmor")) {
        std::fprintf(stderr, "trakmor: %s\n", host.Error().c_str());
        return 1;
    }
    platform::SdlCounter counter;
    platform::SdlDisplayDriver display;
    display.SetWindow(host.Window());
    platform::SdlWavePlayer player;
    platform::CueGate cues(player);
    platform::MersenneRandom random;
    platform::PosixFileStore files;
    ui::Window window;
    try {
        game::Form1 form(game::Services{window, counter, display, cues, host, random, files});
        if (window.Icon) host.SetIcon(*window.Icon);
        host.Attach(window, [&form] { form.Command4_Click(); });
        desktop::SdlInput& input = host.Input();
        input.FocusLost = [&form] { desktop::OnFocusLost(form); };
        input.Minimised = [&cues](bool minimised) { cues.SetMinimised(minimised); };
        input.ButtonsInFront = [&form] { return desktop::ButtonsInFront(form); };
        std::unique_ptr<desktop::TestHook> hook;
        if (const char* folder = std::getenv("TRAKMOR_TEST_HOOK"); folder && *folder) {
            hook = std::make_unique<desktop::TestHook>(form, folder);
            input.AfterEvents = [&hook](double nowMs) { hook->Poll(nowMs); };
        }
        platform::InstallDisplayRestoreOnSignals([&display] { display.LeaveGameMode(); });
        form.Form_Load();
        host.PresentNow();
        for (;;) host.Idle();
    } catch (const platform::ProgramExit& quit) {
        return quit.exitStatus;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "trakmor: %s\n", e.what());
        return 2;
    }
}
