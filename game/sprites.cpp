// Drawing: the road screens copied onto the playfield, and pictures painted
// into a road screen.
#include <cmath>

#include "game/form1.h"

namespace game {

void Form1::DrawSprites() {
    ui::Surface& playfield = Picture1.Image();
    for (int d = 0; d <= 1; ++d) {
        ui::Element& scr = *Picturex[d];
        const int top = static_cast<int>(std::lround(scr.Top()));
        const int w = static_cast<int>(std::lround(scr.Width()));
        const int h = static_cast<int>(std::lround(scr.Height()));
        playfield.Blit(scr.Image(), 0, 0, w, h, 0, top);
    }
    Picture1.Refresh();
}

void Form1::PaintInto(ui::Element& scr, const ui::Element& holder, int x, int y, int w, int h) {
    if (const ui::PicturePtr& pic = holder.GetPicture()) scr.PaintPicture(*pic, x, y, w, h);
}

} // namespace game
