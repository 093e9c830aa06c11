#pragma once
#include <SDL_rect.h>
#include <SDL_surface.h>

namespace desktop {

// What the presenter shows frames on. SDL's own window surface is not one
// that another thread may use: the thread that reads the window's events
// changes its size and validity under it, and rebuilding it races with
// drawing into it. A target here keeps everything it draws with to itself.
class FrameTarget {
public:
    virtual ~FrameTarget() = default;
    // The window's size in pixels now; false once it is gone.
    virtual bool Size(int* w, int* h) = 0;
    // Room for the picture at `at` in the window, in the window's pixel
    // format and at.w x at.h; valid until the next call. Null when none can be had.
    virtual SDL_Surface* Canvas(const SDL_Rect& at) = 0;
    // Shows the canvas at `at` (parts outside the window are cut off), after
    // painting the rest of a `windowW` x `windowH` window black when
    // `clearAround`. Returns once the display has taken the pixels, so the
    // canvas may be drawn into again; false once the window is gone.
    virtual bool Show(const SDL_Rect& at, int windowW, int windowH, bool clearAround) = 0;
};

} // namespace desktop
