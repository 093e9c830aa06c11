#pragma once

namespace desktop {

struct Area {
    int x = 0, y = 0, w = 0, h = 0;
};

// What is left around the picture for the window manager's frame and title bar
// when the window is placed; the frame is not known before the window exists.
struct FrameRoom {
    int w = 16, h = 48;
};

// The largest whole-number scale of the 640x480 picture whose window, frame
// included, fits in the usable desktop area; at least 1.
int WindowScale(int usableW, int usableH, FrameRoom room = {});

// The window's client area at that scale, framed window centred in the usable area.
Area InitialWindow(const Area& usable, FrameRoom room = {});

} // namespace desktop
