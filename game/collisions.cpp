// Running into obstacles: the row under the car and the row ahead.
#include <cstdlib>

#include "game/form1.h"

namespace game {

void Form1::MarkCell(int kind, int g, int c) {
    ui::Element& scr = g < 15 ? *Picturex[0] : *Picturex[1];
    const int H = static_cast<int>(scr.Height());
    const int y = g < 15 ? H - (g + 1) * kCellSize : H - (g - 14) * kCellSize;
    PaintInto(scr, *nemaga[kind], (c - 1) * kCellSize, y, kCellSize, kCellSize);
}

void Form1::CheckCollisions() {
    for (int k = 0; k <= 3; ++k) {
        // An obstacle of kind k in grid row r is hit when the car is within
        // `reach` pixels of it: the hit is marked on the road and taken off the grid.
        auto hitIn = [&](int r, double reach) {
            const int c = obstacleGrid[k][r];
            if (c == 0 || !(std::abs(carX - (c - 1) * kCellSize) < reach)) return false;
            MarkCell(k, r, c);
            obstacleGrid[k][r] = 0;
            return true;
        };
        // The two rows have different reaches: under the car a fraction of a
        // cell that shrinks with speed, ahead of it only `speed` pixels.
        const bool underCar = hitIn(carGridRow, static_cast<double>(kCellSize) / speed);
        const bool ahead = hitIn((carGridRow + 1) % kGridRows, speed);
        if (!underCar && !ahead) continue;
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
