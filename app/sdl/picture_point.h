#pragma once

namespace sdl {

// A pixel of the game's 640x480 picture.
struct PicturePoint {
    int x = 0;
    int y = 0;
    bool operator==(const PicturePoint&) const = default;
};

} // namespace sdl
