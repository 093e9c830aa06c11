// Gears, steering, the road's edges and the menu key.
#include <cmath>

#include "game/form1.h"

namespace game {

namespace {
constexpr int16_t kEscape = 27, kKeyQ = 81, kKeyA = 65, kKeyK = 75, kKeyL = 76;
} // namespace

int16_t Form1::RoadLeft() const { return static_cast<int16_t>((roadColumn[carGridRow] - 2) * 32); }
int16_t Form1::RoadRight() const { return static_cast<int16_t>((roadColumn[carGridRow] + 6) * 32); }

void Form1::PlaceSprite(ui::Element& sprite) { sprite.Move(carX, Picturex[0]->Height() - 64, 32, 32); }

void Form1::form_KeyDown(int16_t keyCode, int16_t shift) {
    if (keyCode == kEscape) {
        if (Picture4.Visible()) return;
        if (Picture2.Visible()) {
            Picture2.Hide();
        } else {
            Picture2.Show();
            speed = 1;
            return;
        }
    }
    if (!gameRunning || Picture2.Visible()) return;

    if (keyCode == kKeyQ && RoadLeft() < carX && carX < RoadRight()) {
        speed = static_cast<int16_t>(speed * 2);
        if (speed > maxSpeed) speed = maxSpeed;
        if (speed < minSpeed) speed = minSpeed;
        ShowStatus();
    }
    if (keyCode == kKeyA && speed > 1) {
        speed = static_cast<int16_t>(std::nearbyint(speed / 2.0));
        if (speed < minSpeed) speed = minSpeed;
        ShowStatus();
    }

    int16_t step = 0;
    if (keyCode == kKeyK && carX > 0 && carX > RoadLeft()) {
        steerKeys = static_cast<int16_t>(steerKeys | 1);
        step = -1;
    }
    if (keyCode == kKeyL && carX < 608 && carX < RoadRight()) {
        steerKeys = static_cast<int16_t>(steerKeys | 2);
        step = 1;
    }
    if (keyCode == 0) step = steerDirection;
    carX = static_cast<int16_t>(carX + 2 * step);
    if (keyCode == kKeyK || keyCode == kKeyL) steerDirection = step;

    const int k = Skill.ListIndex();
    if (carX <= RoadLeft() && speed > 1) {
        PlayCue(2);
        speed = 1;
        damage = static_cast<int16_t>(damage + 5 + k);
        ShowStatus();
    }
    if (carX >= RoadRight() && speed > 1) {
        PlayCue(2);
        speed = 1;
        damage = static_cast<int16_t>(damage + 5 + k);
        ShowStatus();
    }

    const int m = carX % 32;
    if (m == 0 && steerKeys == 0 && steerDirection == 0 &&
        (speed == 1 || (keyCode == 0 && carXPrevious == carXLatest && carX == carXLatest))) {
        auticl.Hide();
        auticd.Hide();
        carXLatest = 0;
        autic.Hide();
        PlaceSprite(autic);
        autic.Show();
    } else if (step == 1 && (speed > 1 || (speed == 1 && m > 0))) {
        auticl.Hide();
        autic.Hide();
        auticd.Hide();
        PlaceSprite(auticd);
        auticd.Show();
        carXPrevious = -1;
    } else if (step == -1 && (speed > 1 || (speed == 1 && m > 0))) {
        autic.Hide();
        auticd.Hide();
        auticl.Hide();
        PlaceSprite(auticl);
        auticl.Show();
        carXPrevious = -1;
    }

    CheckCollisions();
}

void Form1::Form_KeyUp(int16_t keyCode, int16_t shift) {
    if (keyCode == kKeyK) steerKeys = static_cast<int16_t>(steerKeys & 2);
    if (keyCode == kKeyL) steerKeys = static_cast<int16_t>(steerKeys & 1);
}

} // namespace game
