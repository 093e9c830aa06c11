// The endless road: one screen of 15 rows at a time, in segments of 5 rows,
// with scenery beside it and obstacles on it.
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
        const int y = H - kCellSize * I;
        DrawScenery(scr, I, H);
        if (I % 5 == 1) {
            if (genRoadDirection == 1) genRoadColumn = static_cast<int16_t>(genRoadColumn + 3);
            genRoadDirection = static_cast<int16_t>(Int(rnd() * 3) - 1);
            if (!(genRoadColumn + 3 * genRoadDirection >= 1 && genRoadColumn + 6 * genRoadDirection <= 18))
                genRoadDirection = static_cast<int16_t>(-genRoadDirection);
            if (genRoadDirection == -1) genRoadColumn = static_cast<int16_t>(genRoadColumn - 3);
        }
        // A curve row's column is written into the row above it, (15d + I) mod 30
        // being the next grid row: each curve row takes the value set while the
        // row below it was drawn. The top row's write lands in the other screen's
        // bottom row, which the car has passed and which is drawn anew later.
        if (genRoadDirection == 1) {
            if (genRowPhase == 4) PaintInto(scr, sdesno, kCellSize * (genRoadColumn - 1), y, 320, 128);
            roadColumn[(15 * d + I) % kGridRows] = static_cast<int16_t>(genRoadColumn + genRowPhase);
        }
        if (genRoadDirection == -1) {
            // Mirrored by the negative width: it covers the same columns as a right curve would.
            if (genRowPhase == 4) PaintInto(scr, sdesno, kCellSize * genRoadColumn + 287, y, -320, 128);
            roadColumn[(15 * d + I) % kGridRows] = static_cast<int16_t>(genRoadColumn + 3 - genRowPhase);
        }
        if (genRoadDirection == 0 || genRowPhase == 0) {
            const int col = genRoadDirection == -1 ? genRoadColumn + 3 : genRoadColumn;
            PaintStraight(scr, col, y);
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
            PaintInto(scr, *ometalo[kind], kCellSize * (col - 1), H - kCellSize * I, kCellSize, kCellSize);
        }
    }
}

// Row I of a screen: one or two scenery pictures in free columns, half the
// time. They may fall on the road, whose pieces are painted over them.
void Form1::DrawScenery(ui::Element& scr, int I, int H) {
    if (Int(rnd() * 4) > 1) {
        sceneryTaken.fill(0);
        const int n = Int(rnd() * 2) + 1;
        for (int t = 0; t < n; ++t) {
            const int p = Int(rnd() * 6);
            int c = Int(rnd() * kColumns);
            while (sceneryTaken[c] > 0) c = (c + 1) % kColumns;
            sceneryTaken[c] = 1;
            PaintInto(scr, *Picture3[p], kCellSize * c, H - kCellSize * I, kCellSize, kCellSize);
        }
    }
}

// A straight piece, seven columns wide from `column` - 1.
void Form1::PaintStraight(ui::Element& scr, int column, int y) {
    PaintInto(scr, sravno, kCellSize * (column - 1), y, 224, kCellSize);
}

} // namespace game
