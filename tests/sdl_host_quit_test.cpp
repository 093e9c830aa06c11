// The desktop's ways to quit: the window's close button and SIGINT, SIGTERM and
// SIGHUP reach the game as a close request wherever it lets events run, and end
// it at once with status 0. On SDL's dummy video driver, which needs no display.
#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "app/desktop/sdl_host.h"
#include "game/form1.h"
#include "headless/headless.h"
#include "platform/display_guard.h"
#include "platform/fake_display_driver.h"
#include "platform/program_exit.h"
#include "platform/random.h"
#include "platform/sdl/sdl_counter.h"

namespace {

// The game as main() wires it, with a display and sound that only record.
struct DesktopGame {
    explicit DesktopGame(bool guardSignals) {
        if (const char* before = std::getenv("SDL_VIDEODRIVER")) previousDriver = before;
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        opened = host.Open("Trakmor test");
        if (!opened) return;
        display.current = {640, 480, 32, 60};
        form = std::make_unique<game::Form1>(game::Services{window, counter, display, player, host, random, files,
                                                            "/nonexistent/Trakmor_B.spd"});
        host.Attach(window, [this] { form->Command4_Click(); });
        if (guardSignals) platform::InstallDisplayRestoreOnSignals([this] { form->screen.RestoreDisplayMode(); });
        form->Form_Load();
    }
    ~DesktopGame() {
        if (previousDriver.empty()) unsetenv("SDL_VIDEODRIVER");
        else setenv("SDL_VIDEODRIVER", previousDriver.c_str(), 1);
    }
    size_t Sounds() const {
        size_t n = 0;
        for (const auto& c : player.calls) n += c.image != nullptr;
        return n;
    }

    std::string previousDriver;
    desktop::SdlHost host;
    bool opened = false;
    platform::SdlCounter counter;
    platform::FakeDisplayDriver display;
    headless::SilentWavePlayer player;
    platform::MersenneRandom random;
    platform::PosixFileStore files;
    ui::Window window;
    std::unique_ptr<game::Form1> form;
};

enum class Where { kCue, kWait };

// Requests a quit, then lets the game reach `where`: the status the quit ended
// with, or a number from 90 up that tells what went wrong.
int QuitAt(Where where, bool guardSignals, const std::function<void(DesktopGame&)>& request) {
    DesktopGame g(guardSignals);
    if (!g.opened) {
        std::fprintf(stderr, "no window: %s\n", g.host.Error().c_str());
        return 90;
    }
    g.form->Command1_Click();
    request(g);
    const size_t sounds = g.Sounds();
    try {
        if (where == Where::kCue) g.form->PlayCue(1);
        else g.form->Timer2_timer();
        std::fprintf(stderr, "the game went on after the request\n");
        return 91;
    } catch (const platform::ProgramExit& quit) {
        if (g.form->frameTimer || g.form->gameRunning) return 92;
        if (g.Sounds() != sounds) return 93;  // the cue played after the quit
        if (g.display.current.bits != 32) return 94;
        return quit.exitStatus;
    }
}

void PushQuit(DesktopGame&) {
    SDL_Event e{};
    e.type = SDL_QUIT;
    SDL_PushEvent(&e);
}

void PushWindowClose(DesktopGame& g) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    e.window.windowID = SDL_GetWindowID(g.host.Window());
    SDL_PushEvent(&e);
}

TEST(DesktopQuit, CloseRequestsInsideACueAndInsideTheWait) {
    for (const Where where : {Where::kCue, Where::kWait}) {
        SCOPED_TRACE(where == Where::kCue ? "cue" : "wait");
        EXPECT_EQ(QuitAt(where, false, PushQuit), 0);
        EXPECT_EQ(QuitAt(where, false, PushWindowClose), 0);
    }
}

TEST(DesktopQuit, QuitSignalsInsideACueAndInsideTheWait) {
    // Each in a process of its own: a quit signal is remembered for the process.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        for (const Where where : {Where::kCue, Where::kWait}) {
            SCOPED_TRACE(std::string(strsignal(sig)) + (where == Where::kCue ? " in a cue" : " in the wait"));
            EXPECT_EXIT(std::exit(QuitAt(where, true, [sig](DesktopGame&) { std::raise(sig); })),
                        ::testing::ExitedWithCode(0), "");
        }
    }
}

} // namespace
