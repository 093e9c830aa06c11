// Running into obstacles: the row under the car and the row ahead.
#include <cstdlib>

#include "game/form1.h"

namespace game {

void Form1::MarkCell(int kind, int g, int c) {
    ui::Element& scr = g < 15 ? *Picturex[0] : *Picturex[1];
    const int H = static_cast<int>(scr.Height());
    const int y = g < 15 ? H - (g + 1) * 32 : H - (g - 14) * 32;
    PaintInto(scr, *nemaga[kind], (c - 1) * 32, y, 32, 32);
}

void Form1::CheckCollisions() {
    for (int k = 0; k <= 3; ++k) {
        bool hit = false;
        const int r = carGridRow;
        const int c = obstacleGrid[k][r];
        if (c != 0) {
            const int ox = (c - 1) * 32;
            if (std::abs(carX - ox) < 32.0 / speed) {
                hit = true;
                MarkCell(k, r, c);
                obstacleGrid[k][r] = 0;
            }
        }
        const int r2 = (carGridRow + 1) % kGridRows;
        const int c2 = obstacleGrid[k][r2];
        if (c2 != 0) {
            const int ox2 = (c2 - 1) * 32;
            if (std::abs(carX - ox2) < speed) {
                hit = true;
                MarkCell(k, r2, c2);
                obstacleGrid[k][r2] = 0;
            }
        }
        if (!hit) continue;
        const int s = Skill.ListIndex();
        switch (k) {
        case kBag:
            PlayCue(3);
            bagCount += 1;
            bagPoints += gearOfSpeed[speed];
            break;
        case kBomb:
            PlayCue(1);
            speed = 1;
            damage = static_cast<int16_t>(damage + 10 + s);
            break;
        case kRabbit:
            PlayCue(0);
            rabbitCount += 1;
            damage = static_cast<int16_t>(damage + 3 + s);
            rabbitPoints = rabbitPoints + 6 - gearOfSpeed[speed];
            break;
        default:
            damage = static_cast<int16_t>(damage - 3 + s);
            PlayCue(4);
            break;
        }
        ShowStatus();
        DrawSprites();
    }
}

} // namespace game
