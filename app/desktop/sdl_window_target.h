#pragma once
#include <SDL.h>

#include "app/desktop/frame_target.h"
#include "platform/sdl/sdl_ptrs.h"

namespace desktop {

// The window's own SDL surface, for windows that X11FrameTarget cannot reach.
// Only the thread that reads the window's events may use it, so it is shown
// on that thread. The picture is drawn straight into the window's surface
// where it lies wholly inside it.
class SdlWindowTarget final : public FrameTarget {
public:
    explicit SdlWindowTarget(SDL_Window* window) : window_(window) {}

    bool Size(int* w, int* h) override;
    SDL_Surface* Canvas(const SDL_Rect& at) override;
    bool Show(const SDL_Rect& at, int windowW, int windowH, bool clearAround) override;

private:
    SDL_Window* window_;
    SDL_Surface* surface_ = nullptr;  // SDL's, valid until its next rebuild
    platform::SurfacePtr view_;                 // the picture's room inside surface_
    SDL_Surface* viewOf_ = nullptr;
    SDL_Rect viewAt_{};
    platform::SurfacePtr own_;                  // the picture, where it does not fit
};

} // namespace desktop
