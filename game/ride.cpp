// The start of a ride, its loop, drawing and sound cues.
#include <cmath>

#include "game/form1.h"

namespace game {

void Form1::DrawScenery(ui::Element& scr, int I, int H) {
    if (Int(rnd() * 4) > 1) {
        sceneryTaken.fill(0);
        const int n = Int(rnd() * 2) + 1;
        for (int t = 0; t < n; ++t) {
            const int p = Int(rnd() * 6);
            int c = Int(rnd() * 20);
            while (sceneryTaken[c] > 0) c = (c + 1) % 20;
            sceneryTaken[c] = 1;
            PaintInto(scr, *Picture3[p], 32 * c, H - 32 * I, 32, 32);
        }
    }
}

void Form1::PaintInto(ui::Element& scr, const ui::Element& holder, int x, int y, int w, int h) {
    if (const ui::PicturePtr& pic = holder.GetPicture()) scr.PaintPicture(*pic, x, y, w, h);
}

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
        PaintInto(screen0, sravno, 32 * genRoadColumn - 32, H - 32 * I, 224, 32);
    }
    DrawSprites();
    steerTick = 0;
    gameRunning = kTrue;
    window.KeyPreview = true;
    autic.Show();
    Picture7.Show();
    Timer2.SetEnabled(true);
}

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
        if (scrollPixels >= 32) {
            scrollPixels -= 32;
            carGridRow = static_cast<int16_t>((carGridRow + 1) % kGridRows);
        }
        steerTick = static_cast<uint8_t>((steerTick + 1) % (gearOfSpeed[speed] + 1));
        const bool steerKeyHeld = steerKeys != 0;
        if (steerTick == 0 && carXPrevious != -1) form_KeyDown(0, 0);
        if (carX % 32 == 0 && !steerKeyHeld) steerDirection = 0;
        frameTimer->StopTimer();
        // speed and speedFactor are read afresh on every test: a gear change in
        // the wait shortens or lengthens the frame already under way.
        for (double elapsed = frameTimer->TimeElapsed(1000000); elapsed < FrameMicroseconds();
             elapsed = frameTimer->TimeElapsed(1000000)) {
            carXPrevious = carXLatest;
            pump_.Yield(FrameMicroseconds() - elapsed);
            carXLatest = carX;
            // A quit during the wait has released the timer.
            if (!frameTimer) return;
            frameTimer->StopTimer();
        }
    }
}

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

void Form1::PlayCue(const int16_t& index) {
    EmbedSound1[static_cast<size_t>(index)]->PlaySound();
}

} // namespace game
