#pragma once
#include <SDL.h>

namespace desktop {

// Notices when the display server destroys the game's window under it (a tool
// such as `xdotool windowclose`, a window manager gone wrong). SDL 2.26 reports
// that only as the window being hidden; the next request on the window then
// fails with an X error that Xlib's default handler answers with exit(1).
// While watching, such errors are taken as the window being gone, and so is
// its DestroyNotify. Does nothing for a window that does not live on X11.
class X11WindowWatch {
public:
    X11WindowWatch() = default;
    ~X11WindowWatch() { Stop(); }
    X11WindowWatch(const X11WindowWatch&) = delete;
    X11WindowWatch& operator=(const X11WindowWatch&) = delete;

    void Start(SDL_Window* window);
    // Looks at one of SDL's events for the window's destruction.
    void Notice(const SDL_Event& event);
    bool Gone() const;
    // Collects the errors of the requests made so far, then stops. To be
    // called after the window is destroyed and before SDL closes the display,
    // which puts Xlib's fatal handler back first.
    void Stop();

private:
    bool watching_ = false;
};

} // namespace desktop
