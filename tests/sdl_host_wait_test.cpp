// How the desktop host spends a frame's wait: input that ends a wait is taken
// in that wait, and the bench's yardstick, Spin, serves the window as a wait
// does but never sleeps. On SDL's dummy video driver.
#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/desktop/sdl_host.h"
#include "scoped_env.h"
#include "ui/window.h"

namespace {

TEST(SdlHostSpinTest, HandsAChangedWindowOverLikeAWaitButNeverSleeps) {
    ScopedEnv video("SDL_VIDEODRIVER", "dummy");
    desktop::SdlHost host;
    ASSERT_TRUE(host.Open("Trakmor test")) << host.Error();
    ui::Window window;
    host.Attach(window, [] {});

    // A long wait with a changed window: the picture goes out either way.
    window.MarkDirty();
    host.Spin(20000);
    desktop::SdlHost::Stats s = host.GetStats();
    EXPECT_EQ(s.handOvers, 1u);
    EXPECT_EQ(s.sleeps, 0u);
    EXPECT_FALSE(window.Dirty());

    // The real wait, given the same changed window, sleeps.
    window.MarkDirty();
    host.Yield(20000);
    s = host.GetStats();
    EXPECT_GE(s.sleeps, 1u);
}

// SDL 2.26 leaves its end-of-poll mark ahead of an event that ends a wait
// for events; polled for afterwards, the event would wait for the next wait.
TEST(SdlHostWaitTest, AKeyThatEndsAWaitIsHandledInThatWait) {
    ScopedEnv video("SDL_VIDEODRIVER", "dummy");
    desktop::SdlHost host;
    ASSERT_TRUE(host.Open("Trakmor test")) << host.Error();
    ui::Window window;
    int keys = 0;
    window.KeyPreview = true;
    window.KeyDown = [&keys](int16_t, int16_t) { ++keys; };
    host.Attach(window, [] {});
    host.Yield(0);  // the window's own first events

    for (int round = 0; round < 3; ++round) {
        std::thread pusher([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            SDL_Event e{};
            e.type = SDL_KEYDOWN;
            e.key.state = SDL_PRESSED;
            e.key.keysym.sym = SDLK_z;
            e.key.keysym.scancode = SDL_SCANCODE_Z;
            SDL_PushEvent(&e);
        });
        // Far longer than the push takes to come: the key ends the wait.
        host.Yield(5e6);
        pusher.join();
        EXPECT_EQ(keys, round + 1) << "round " << round;
        SDL_Event up{};
        up.type = SDL_KEYUP;
        up.key.keysym.sym = SDLK_z;
        up.key.keysym.scancode = SDL_SCANCODE_Z;
        SDL_PushEvent(&up);
        host.Yield(0);
    }
}

} // namespace
