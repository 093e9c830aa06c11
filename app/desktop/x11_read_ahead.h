#pragma once
#include <SDL.h>

namespace platform {

// SDL waits for events by polling the X connection's socket. When another
// thread's request on that connection (the presenter's update) reads the
// socket first, events it finds land in Xlib's queue, the socket is empty
// again and the wait sleeps on to its timeout: a key press up to a whole
// frame's wait late. After such a request, Check() sends the window a message
// of its own over a second connection, so the waiting thread wakes and takes
// what is queued. Does nothing for a window that does not live on X11.
class X11ReadAhead {
public:
    explicit X11ReadAhead(SDL_Window* window);
    ~X11ReadAhead();
    X11ReadAhead(const X11ReadAhead&) = delete;
    X11ReadAhead& operator=(const X11ReadAhead&) = delete;

    // True when events were waiting in SDL's queue and the window was sent its message.
    bool Check();
    bool Active() const { return own_ != nullptr; }

private:
    void* sdlDisplay_ = nullptr;  // Display*, kept out of the header with Xlib's macros
    void* own_ = nullptr;
    unsigned long window_ = 0;
    unsigned long atom_ = 0;
};

} // namespace platform
