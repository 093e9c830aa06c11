#include "app/desktop/window_placement.h"

#include <algorithm>

#include "ui/window.h"

namespace desktop {

int WindowScale(int usableW, int usableH, FrameRoom room) {
    const int byWidth = (usableW - room.w) / ui::kScreenWidth;
    const int byHeight = (usableH - room.h) / ui::kScreenHeight;
    return std::max(1, std::min(byWidth, byHeight));
}

Area InitialWindow(const Area& usable, FrameRoom room) {
    const int scale = WindowScale(usable.w, usable.h, room);
    Area a;
    a.w = ui::kScreenWidth * scale;
    a.h = ui::kScreenHeight * scale;
    // A window bigger than the area keeps its top-left corner on the desktop.
    a.x = usable.x + std::max(0, (usable.w - a.w - room.w) / 2);
    a.y = usable.y + std::max(0, (usable.h - a.h - room.h) / 2);
    return a;
}

} // namespace desktop
