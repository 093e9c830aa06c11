// A ride: its start with the Start button, and the loop that runs it from the
// first tick of Timer2 until gameRunning is cleared.
#include "game/form1.h"

namespace game {

void Form1::Command1_Click() {
    Picture4.Hide();
    Skill.SetEnabled(false);
    ui::Element& screen0 = *Picturex[0];
    screen0.SetTop(0);
    Picturex[1]->SetTop(Picturex[1]->Height());
    screen0.Cls();
    const int H = static_cast<int>(screen0.Height());
    for (int I = 1; I <= 15; ++I) {
        DrawScenery(screen0, I, H);
        PaintStraight(screen0, genRoadColumn, H - kCellSize * I);
    }
    DrawSprites();
    steerTick = 0;
    gameRunning = kTrue;
    window.KeyPreview = true;
    autic.Show();
    Picture7.Show();
    Timer2.SetEnabled(true);
}

// The tick only starts the loop; the loop then runs the whole ride inside this
// one call. Every handler of the window (keys, buttons, a second tick after a
// new ride) runs nested inside it, at the yield of the wait or inside a cue.
void Form1::Timer2_timer() {
    Timer2.SetEnabled(false);
    for (;;) {
        frameTimer->StartTimer();
        if (!gameRunning) return;
        if (speed < minSpeed && speed > 1) {
            speed = minSpeed;
            ShowStatus();
        }
        for (int d = 0; d <= 1; ++d)
            if (!(Picturex[d]->Top() < Picturex[d]->Height())) BuildRoadScreen(d);
        if (speed > 1) {
            Picturex[1]->SetTop(Picturex[1]->Top() + 1);
            Picturex[0]->SetTop(Picturex[0]->Top() + 1);
            DrawSprites();
            scrollPixels += 1;
        }
        if (scrollPixels >= kCellSize) {
            scrollPixels -= kCellSize;
            carGridRow = static_cast<int16_t>((carGridRow + 1) % kGridRows);
        }
        steerTick = static_cast<uint8_t>((steerTick + 1) % (gearOfSpeed[speed] + 1));
        const bool steerKeyHeld = steerKeys != 0;
        // -1 means a key has just shown a turned car: that key's own step stands
        // for this frame's steering step, until the wait has sampled carX again.
        if (steerTick == 0 && carXPrevious != -1) form_KeyDown(0, 0);
        if (carX % kCellSize == 0 && !steerKeyHeld) steerDirection = 0;
        frameTimer->StopTimer();
        // speed and speedFactor are read afresh on every test: a gear change in
        // the wait shortens or lengthens the frame already under way.
        for (double elapsed = frameTimer->TimeElapsed(1000000); elapsed < FrameMicroseconds();
             elapsed = frameTimer->TimeElapsed(1000000)) {
            carXPrevious = carXLatest;
            // The player's keys and clicks run here, and so does presenting the window.
            pump_.Yield(FrameMicroseconds() - elapsed);
            carXLatest = carX;
            frameTimer->StopTimer();
        }
    }
}

} // namespace game
