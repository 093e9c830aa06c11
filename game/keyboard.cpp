// Gears, steering, the road's edges and the menu key.
#include <cmath>

#include "game/form1.h"

namespace game {

namespace {
constexpr int16_t kEscape = 27, kKeyQ = 81, kKeyA = 65, kKeyK = 75, kKeyL = 76;
// The car's x as far right as the sprite stays inside the 640-pixel playfield.
constexpr int kRightmostCarX = (kColumns - 1) * kCellSize;
} // namespace

int16_t Form1::RoadLeft() const { return static_cast<int16_t>((roadColumn[carGridRow] - 2) * kCellSize); }
int16_t Form1::RoadRight() const { return static_cast<int16_t>((roadColumn[carGridRow] + 6) * kCellSize); }

// In its column, in the second cell row from the bottom of the playfield.
void Form1::PlaceSprite(ui::Element& sprite) {
    sprite.Move(carX, Picturex[0]->Height() - 2 * kCellSize, kCellSize, kCellSize);
}

void Form1::ShowCarSprite(ui::Element& sprite) {
    for (ui::Element* car : {&autic, &auticl, &auticd}) car->Hide();
    PlaceSprite(sprite);
    sprite.Show();
}

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
    if (keyCode == kKeyL && carX < kRightmostCarX && carX < RoadRight()) {
        steerKeys = static_cast<int16_t>(steerKeys | 2);
        step = 1;
    }
    if (keyCode == 0) step = steerDirection;
    carX = static_cast<int16_t>(carX + 2 * step);
    if (keyCode == kKeyK || keyCode == kKeyL) steerDirection = step;

    // The skill is read before the cue, the damage after it: the cue lets
    // other handlers run, and the second test sees what they left.
    const int k = Skill.ListIndex();
    auto leaveRoad = [&] {
        PlayCue(2);
        speed = 1;
        damage = static_cast<int16_t>(damage + 5 + k);
        ShowStatus();
    };
    if (carX <= RoadLeft() && speed > 1) leaveRoad();
    if (carX >= RoadRight() && speed > 1) leaveRoad();

    // The sprite follows the car only at these moments. Above speed 1 the car is
    // set straight only by a steering step after the wait has seen the same x
    // twice (carXLatest = 0 makes it look afresh); at speed 1 the last step onto
    // a column line leaves the turned sprite where it was. Showing a turned car
    // sets carXPrevious to -1, which holds back the loop's next steering step
    // until the wait has sampled carX again.
    const int m = carX % kCellSize;
    if (m == 0 && steerKeys == 0 && steerDirection == 0 &&
        (speed == 1 || (keyCode == 0 && carXPrevious == carXLatest && carX == carXLatest))) {
        carXLatest = 0;
        ShowCarSprite(autic);
    } else if (step == 1 && (speed > 1 || (speed == 1 && m > 0))) {
        ShowCarSprite(auticd);
        carXPrevious = -1;
    } else if (step == -1 && (speed > 1 || (speed == 1 && m > 0))) {
        ShowCarSprite(auticl);
        carXPrevious = -1;
    }

    CheckCollisions();
}

void Form1::Form_KeyUp(int16_t keyCode, int16_t shift) {
    if (keyCode == kKeyK) steerKeys = static_cast<int16_t>(steerKeys & 2);
    if (keyCode == kKeyL) steerKeys = static_cast<int16_t>(steerKeys & 1);
}

} // namespace game
