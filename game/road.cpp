// The endless road: one screen of 15 rows at a time, in segments of 5 rows.
#include "game/form1.h"

namespace game {

void Form1::BuildRoadScreen(int d) {
    roadScore = roadScore + 1;
    if (roadScore % 50 == 0 && roadScore < 250 && Skill.ListIndex() == 1 && minSpeed < 16)
        minSpeed = static_cast<int16_t>(minSpeed * 2);
    ui::Element& scr = *Picturex[d];
    scr.SetTop(-scr.Height());
    scr.Cls();
    for (int g = 15 * d; g <= 15 * d + 14; ++g)
        for (int k = 0; k <= 3; ++k) obstacleGrid[k][g] = 0;

    const int H = static_cast<int>(scr.Height());
    for (int I = 1; I <= 15; ++I) {
        DrawScenery(scr, I, H);
        if (I % 5 == 1) {
            if (genRoadDirection == 1) genRoadColumn = static_cast<int16_t>(genRoadColumn + 3);
            genRoadDirection = static_cast<int16_t>(Int(rnd() * 3) - 1);
            if (!(genRoadColumn + 3 * genRoadDirection >= 1 && genRoadColumn + 6 * genRoadDirection <= 18))
                genRoadDirection = static_cast<int16_t>(-genRoadDirection);
            if (genRoadDirection == -1) genRoadColumn = static_cast<int16_t>(genRoadColumn - 3);
        }
        if (genRoadDirection == 1) {
            if (genRowPhase == 4) PaintInto(scr, sdesno, 32 * genRoadColumn - 32, H - 32 * I, 320, 128);
            roadColumn[(15 * d + I) % kGridRows] = static_cast<int16_t>(genRoadColumn + genRowPhase);
        }
        if (genRoadDirection == -1) {
            if (genRowPhase == 4) PaintInto(scr, sdesno, 32 * genRoadColumn + 287, H - 32 * I, -320, 128);
            roadColumn[(15 * d + I) % kGridRows] = static_cast<int16_t>(genRoadColumn + 3 - genRowPhase);
        }
        if (genRoadDirection == 0 || genRowPhase == 0) {
            const int col = genRoadDirection == -1 ? genRoadColumn + 3 : genRoadColumn;
            PaintInto(scr, sravno, 32 * col - 32, H - 32 * I, 224, 32);
            roadColumn[15 * d + I - 1] = static_cast<int16_t>(col);
        }
        genRowPhase = static_cast<int16_t>((genRowPhase + 1) % 5);
    }

    for (int I = 1; I <= 15; ++I) {
        if (Int(rnd() * 10) > 6) {
            const int kind = Int(rnd() * 30) == 29 ? kTools : Int(rnd() * 3);
            const int g = 15 * d + I - 1;
            const int col = Int(rnd() * 5) + roadColumn[g] + 1;
            obstacleGrid[kind][g] = static_cast<int16_t>(col);
            PaintInto(scr, *ometalo[kind], 32 * col - 32, H - 32 * I, 32, 32);
        }
    }
}

} // namespace game
