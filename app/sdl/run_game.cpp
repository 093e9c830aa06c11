#include "app/sdl/run_game.h"

#include <cstdio>
#include <exception>

#include "app/sdl/game_rules.h"
#include "platform/cue_gate.h"
#include "platform/program_exit.h"
#include "ui/window.h"

namespace sdl {

namespace {

int RunWindow(SdlHostBase& host, const GameParts& parts, const GameSteps& steps, std::string* failure) {
    platform::CueGate cues(parts.player);
    ui::Window window;
    try {
        game::Form1 form(game::Services{window, parts.counter, parts.display, cues, host, parts.random, parts.files});
        host.Attach(window, [&form] { form.Command4_Click(); });
        SdlInput& input = host.Input();
        input.FocusLost = [&form] { OnFocusLost(form); };
        input.Minimised = [&cues](bool minimised) { cues.SetMinimised(minimised); };
        input.ButtonsInFront = [&form] { return ButtonsInFront(form); };
        if (steps.wired) steps.wired(form);
        form.Form_Load();
        host.PresentNow();
        if (steps.shown) steps.shown();
        for (;;) host.Idle();
    } catch (const platform::ProgramExit& quit) {
        return quit.exitStatus;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "trakmor: %s\n", e.what());
        if (failure) *failure = e.what();
        return 2;
    }
}

} // namespace

int RunGame(SdlHostBase& host, const GameParts& parts, const GameSteps& steps, std::string* failure) {
    const int status = RunWindow(host, parts, steps, failure);
    // What the game's handlers were given would outlive the window.
    SdlInput& input = host.Input();
    input.FocusLost = nullptr;
    input.Minimised = nullptr;
    input.ButtonsInFront = nullptr;
    input.AfterEvents = nullptr;
    if (steps.ended) steps.ended();
    return status;
}

} // namespace sdl
