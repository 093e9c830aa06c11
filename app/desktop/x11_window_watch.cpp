#include "app/desktop/x11_window_watch.h"

#include <SDL_syswm.h>

#include <atomic>

namespace desktop {

namespace {

// Xlib calls its error handler with no context: one watched window per
// process. The presenting thread's requests report their errors there too.
Display* g_display = nullptr;
std::atomic<Window> g_window{0};
std::atomic<bool> g_gone{false};
XErrorHandler g_previous = nullptr;

int OnXError(Display* display, XErrorEvent* error) {
    // A destroyed window's id names nothing: every request on it fails so, on
    // SDL's main connection and on the one it wakes its event wait with.
    if (g_window != 0 && error->resourceid == g_window &&
        (error->error_code == BadWindow || error->error_code == BadDrawable)) {
        g_gone = true;
        return 0;
    }
    return g_previous ? g_previous(display, error) : 0;
}

} // namespace

void X11WindowWatch::Start(SDL_Window* window) {
    if (watching_ || !window) return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    g_display = info.info.x11.display;
    g_window = info.info.x11.window;
    g_gone = false;
    g_previous = XSetErrorHandler(OnXError);
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    watching_ = true;
}

void X11WindowWatch::Notice(const SDL_Event& event) {
    if (!watching_ || event.type != SDL_SYSWMEVENT || !event.syswm.msg) return;
    if (event.syswm.msg->subsystem != SDL_SYSWM_X11) return;
    const XEvent& x = event.syswm.msg->msg.x11.event;
    if (x.type == DestroyNotify && x.xdestroywindow.window == g_window) g_gone = true;
}

bool X11WindowWatch::Gone() const { return watching_ && g_gone; }

void X11WindowWatch::Stop() {
    if (!watching_) return;
    XSync(g_display, False);
    XSetErrorHandler(g_previous);
    g_display = nullptr;
    g_window = 0;
    watching_ = false;
}

} // namespace desktop
