#include "app/desktop/x11_read_ahead.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace platform {

X11ReadAhead::X11ReadAhead(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    Display* sdl = info.info.x11.display;
    Display* own = XOpenDisplay(DisplayString(sdl));
    if (!own) return;
    sdlDisplay_ = sdl;
    own_ = own;
    window_ = info.info.x11.window;
    atom_ = XInternAtom(own, "_TRAKMOR_READ_AHEAD", False);
}

X11ReadAhead::~X11ReadAhead() {
    if (own_) XCloseDisplay(static_cast<Display*>(own_));
}

bool X11ReadAhead::Check() {
    if (!own_ || XEventsQueued(static_cast<Display*>(sdlDisplay_), QueuedAlready) == 0) return false;
    Display* own = static_cast<Display*>(own_);
    XClientMessageEvent m{};
    m.type = ClientMessage;
    m.display = own;
    m.window = window_;
    m.message_type = atom_;
    m.format = 8;
    XSendEvent(own, window_, False, NoEventMask, reinterpret_cast<XEvent*>(&m));
    XFlush(own);
    return true;
}

} // namespace platform
