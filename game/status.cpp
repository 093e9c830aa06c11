// The status line, and game over when the damage reaches 100 percent.
#include "game/form1.h"

namespace game {

void Form1::ShowStatus() {
    if (damage < 0) damage = 0;
    if (damage >= 100) {
        gameRunning = kFalse;
        damage = 100;
        speed = 1;
        // A second hit in the same check would count the bags and rabbits into
        // the total twice: the panel is filled once per ride.
        if (!gameOverDone_) {
            gameOverDone_ = true;
            roadbod.SetCaption(std::to_string(roadScore));
            novacamount.SetCaption(std::to_string(bagCount));
            zekoamount.SetCaption(std::to_string(rabbitCount));
            zekobodi.SetCaption(std::to_string(-rabbitPoints));
            novacabod.SetCaption(std::to_string(bagPoints));
            roadScore = (bagPoints + roadScore) - rabbitPoints;
            if (roadScore < 0) roadScore = 0;
            totalbod.SetCaption(std::to_string(roadScore));
            Picture6.Show();
        }
    }
    Label6.SetCaption("  GEAR: " + std::to_string(gearOfSpeed[speed]) + "/" + std::to_string(gearOfSpeed[maxSpeed]) +
                      "   DAMAGE: " + std::to_string(damage) + "%");
}

} // namespace game
