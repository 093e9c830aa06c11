#pragma once
#include <SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "app/desktop/frame_target.h"
#include "platform/sdl/sdl_ptrs.h"

struct xcb_connection_t;

namespace desktop {

// The game's X11 window, drawn over a display connection of its own. Nothing
// here touches SDL's window or its connection, so the presenting thread can
// draw while the game's thread reads events, resizes or goes fullscreen, and
// the presenter's waits for the server never read the game's input. The
// picture goes through shared memory where the server offers it.
class X11FrameTarget final : public FrameTarget {
public:
    // Null for a window that does not live on X11, or when the display or the
    // window cannot be reached.
    static std::unique_ptr<X11FrameTarget> Open(SDL_Window* window);
    ~X11FrameTarget() override;
    X11FrameTarget(const X11FrameTarget&) = delete;
    X11FrameTarget& operator=(const X11FrameTarget&) = delete;

    bool Size(int* w, int* h) override;
    SDL_Surface* Canvas(const SDL_Rect& at) override;
    bool Show(const SDL_Rect& at, int windowW, int windowH, bool clearAround) override;

    // Whether the canvas is shared with the server rather than sent to it.
    bool SharedMemory() const { return segment_ != 0; }
    uint32_t Format() const { return format_; }

private:
    X11FrameTarget() = default;
    bool Setup(const char* displayName, unsigned long window);
    bool Alive();
    void DropSegment();

    xcb_connection_t* conn_ = nullptr;
    uint32_t window_ = 0;
    uint32_t gc_ = 0;
    uint8_t depth_ = 0;
    int bytesPerPixel_ = 4;
    int scanlinePadBytes_ = 4;
    uint32_t format_ = SDL_PIXELFORMAT_UNKNOWN;
    uint32_t black_ = 0;
    bool gone_ = false;
    bool shmOffered_ = false;
    // The canvas's memory: a shared segment, or plain memory sent in requests.
    uint32_t segment_ = 0;
    int shmId_ = -1;
    void* shmAddress_ = nullptr;
    size_t capacity_ = 0;
    std::vector<uint8_t> plain_;
    int canvasW_ = 0, canvasH_ = 0, pitch_ = 0;
    platform::SurfacePtr canvas_;
};

} // namespace desktop
