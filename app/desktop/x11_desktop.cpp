#include "app/desktop/x11_desktop.h"

#include <SDL_syswm.h>
#include <X11/XKBlib.h>
#include <X11/Xatom.h>

namespace desktop {

namespace {
Display* X11Display(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
    return info.info.x11.display;
}
} // namespace

sdl::RepeatTiming X11KeyRepeat(SDL_Window* window, sdl::RepeatTiming fallback) {
    Display* display = X11Display(window);
    unsigned int delay = 0, interval = 0;
    if (display && XkbGetAutoRepeatRate(display, XkbUseCoreKbd, &delay, &interval) && delay > 0 && interval > 0)
        return sdl::RepeatTiming{static_cast<double>(delay), static_cast<double>(interval)};
    return fallback;
}

bool X11HasWindowManager(SDL_Window* window) {
    Display* display = X11Display(window);
    if (!display) return true;
    // The window manager's own check window, named on the root window and on itself.
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == 0) return false;
    auto child = [&](Window w) -> Window {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, left = 0;
        unsigned char* data = nullptr;
        Window found = 0;
        if (XGetWindowProperty(display, w, check, 0, 1, False, XA_WINDOW, &type, &format, &count, &left, &data) ==
                Success &&
            type == XA_WINDOW && format == 32 && count == 1)
            found = *reinterpret_cast<Window*>(data);
        if (data) XFree(data);
        return found;
    };
    const Window named = child(DefaultRootWindow(display));
    // A manager that died leaves the root's property behind; its window is gone.
    return named != 0 && child(named) == named;
}

} // namespace desktop
