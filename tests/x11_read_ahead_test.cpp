// Input that another thread's request read ahead on SDL's X connection wakes
// a thread waiting on that connection's socket. Needs an X display: run by the
// end-to-end test read_ahead.sh under its own Xvfb, skipped elsewhere.
// gtest first: Xlib defines None and Bool as macros.
#include <gtest/gtest.h>
#include <poll.h>
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <cstdlib>

#include "app/desktop/x11_read_ahead.h"
#include "scoped_env.h"

namespace {

// Takes whatever is pending: SDL's events and what the X server still has to send.
void Drain(Display* sdl) {
    for (int i = 0; i < 5; ++i) {
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        XSync(sdl, False);
        SDL_Delay(20);
    }
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

TEST(X11ReadAheadTest, WakesTheSocketOnlyWhenInputWasReadAhead) {
    Display* other = std::getenv("DISPLAY") ? XOpenDisplay(nullptr) : nullptr;
    if (!other) GTEST_SKIP() << "no X display";
    ScopedEnv video("SDL_VIDEODRIVER", "x11");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_Window* window = SDL_CreateWindow("Trakmor test", 0, 0, 64, 48, SDL_WINDOW_SHOWN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(window, &info));
    Display* sdl = info.info.x11.display;
    const Window xwindow = info.info.x11.window;

    {
        platform::X11ReadAhead readAhead(window);
        ASSERT_TRUE(readAhead.Active());
        Drain(sdl);
        EXPECT_FALSE(readAhead.Check()) << "nothing was read ahead";

        // Input comes from another client, and a request on SDL's connection
        // (the presenter's update) reads it into Xlib's queue: the socket is
        // quiet although an event waits.
        XClientMessageEvent m{};
        m.type = ClientMessage;
        m.window = xwindow;
        m.message_type = XInternAtom(other, "_TRAKMOR_TEST_INPUT", False);
        m.format = 8;
        XSendEvent(other, xwindow, False, NoEventMask, reinterpret_cast<XEvent*>(&m));
        XSync(other, False);
        XSync(sdl, False);
        ASSERT_GT(XEventsQueued(sdl, QueuedAlready), 0);

        EXPECT_TRUE(readAhead.Check());
        pollfd socket{ConnectionNumber(sdl), POLLIN, 0};
        EXPECT_EQ(poll(&socket, 1, 5000), 1) << "a thread waiting on the socket would sleep on";
    }
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    XCloseDisplay(other);
}

} // namespace
