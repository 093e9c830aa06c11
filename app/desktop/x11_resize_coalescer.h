#pragma once
#include <SDL.h>

namespace desktop {

// SDL 2.26 answers some X events of its window with round trips to the
// server: two for each ConfigureNotify, a keyboard and pointer query for each
// KeymapNotify, a grab change for each pointer crossing. And it reads events
// for as long as more keep coming. A window resized faster than that under
// the pointer (dragged by its corner, or by a tool) floods it with exactly
// these, and the game's thread then stays inside one event pump for good:
// deaf to keys, never presenting. While active, such events of the window
// are taken off the wire as they arrive and only the latest of each kind is
// kept (a crossing, in or out, counts as one kind); Release() puts them back
// in front of SDL's queue, so each pump sees at most one of each. Does nothing
// for a window that does not live on X11. One window per process.
class X11ResizeCoalescer {
public:
    X11ResizeCoalescer() = default;
    ~X11ResizeCoalescer() { Stop(); }
    X11ResizeCoalescer(const X11ResizeCoalescer&) = delete;
    X11ResizeCoalescer& operator=(const X11ResizeCoalescer&) = delete;

    void Start(SDL_Window* window);
    bool Active() const { return active_; }
    // Before SDL reads events: hands SDL the latest events held back.
    void Release();
    // How many were held back and replaced by a later one so far.
    unsigned long Merged() const;
    void Stop();

private:
    bool active_ = false;
};

} // namespace desktop
