// The bench's yardstick loop: Spin serves the window as a frame's wait does,
// hand-overs included, but never sleeps. On SDL's dummy video driver.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/desktop/sdl_host.h"
#include "ui/window.h"

namespace {

class DummyVideo {
public:
    DummyVideo() {
        if (const char* before = std::getenv("SDL_VIDEODRIVER")) previous_ = before;
        setenv("SDL_VIDEODRIVER", "dummy", 1);
    }
    ~DummyVideo() {
        if (previous_.empty()) unsetenv("SDL_VIDEODRIVER");
        else setenv("SDL_VIDEODRIVER", previous_.c_str(), 1);
    }

private:
    std::string previous_;
};

TEST(SdlHostSpinTest, HandsAChangedWindowOverLikeAWaitButNeverSleeps) {
    DummyVideo video;
    platform::SdlHost host;
    ASSERT_TRUE(host.Open("Trakmor test")) << host.Error();
    ui::Window window;
    host.Attach(window, [] {});

    // A long wait with a changed window: the picture goes out either way.
    window.MarkDirty();
    host.Spin(20000);
    platform::SdlHost::Stats s = host.GetStats();
    EXPECT_EQ(s.handOvers, 1u);
    EXPECT_EQ(s.sleeps, 0u);
    EXPECT_FALSE(window.Dirty());

    // The real wait, given the same changed window, sleeps.
    window.MarkDirty();
    host.Yield(20000);
    s = host.GetStats();
    EXPECT_GE(s.sleeps, 1u);
}

} // namespace
