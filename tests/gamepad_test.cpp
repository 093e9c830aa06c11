#include "app/sdl/gamepad.h"

#include <gtest/gtest.h>

#include <vector>

using sdl::GamepadKeys;
using sdl::KeyStroke;
using sdl::PadAxis;
using sdl::PadControl;

namespace {

constexpr int kTab = 9, kEscape = 27, kSpace = 32;
KeyStroke Down(int code, int16_t shift = 0) { return {true, code, shift}; }
KeyStroke Up(int code, int16_t shift = 0) { return {false, code, shift}; }
using Strokes = std::vector<KeyStroke>;

// One pad on a virtual clock, in milliseconds, with a 500 ms delay and 25 repeats a second.
class GamepadTest : public ::testing::Test {
protected:
    Strokes Control(PadControl c, bool down, bool buttons = false, int pad = 0) {
        Strokes out;
        keys.Control(pad, c, down, buttons, now, out);
        return out;
    }
    Strokes Axis(PadAxis a, int value, bool buttons = false, int pad = 0) {
        Strokes out;
        keys.Axis(pad, a, value, buttons, now, out);
        return out;
    }
    Strokes At(double ms) {
        now = ms;
        Strokes out;
        keys.Tick(now, out);
        return out;
    }
    GamepadKeys keys{{500, 40}};
    double now = 1000;
};

TEST_F(GamepadTest, ButtonsDuringARide) {
    EXPECT_EQ(Control(PadControl::A, true), Strokes{Down('Q')});
    EXPECT_EQ(Control(PadControl::A, true), Strokes{});  // no second press without a release
    EXPECT_EQ(Control(PadControl::A, false), Strokes{Up('Q')});
    EXPECT_EQ(Control(PadControl::B, true), Strokes{Down('A')});
    EXPECT_EQ(Control(PadControl::B, false), Strokes{Up('A')});
    EXPECT_EQ(Control(PadControl::Start, true), Strokes{Down(kEscape)});
    EXPECT_EQ(Control(PadControl::Start, false), Strokes{Up(kEscape)});
    EXPECT_EQ(Control(PadControl::Back, true), Strokes{Down(kEscape)});
    EXPECT_EQ(Control(PadControl::Back, false), Strokes{Up(kEscape)});
    EXPECT_EQ(Control(PadControl::DpadLeft, true), Strokes{Down('K')});
    EXPECT_EQ(Control(PadControl::DpadLeft, false), Strokes{Up('K')});
    EXPECT_EQ(Control(PadControl::DpadRight, true), Strokes{Down('L')});
    EXPECT_EQ(Control(PadControl::DpadRight, false), Strokes{Up('L')});
    // Up and down mean nothing on the road; a release of nothing sends nothing.
    EXPECT_EQ(Control(PadControl::DpadUp, true), Strokes{});
    EXPECT_EQ(Control(PadControl::DpadUp, false), Strokes{});
    EXPECT_EQ(Control(PadControl::B, false), Strokes{});
}

TEST_F(GamepadTest, TriggersAndTheStickHaveAThresholdThatDoesNotChatter) {
    EXPECT_EQ(Axis(PadAxis::RightTrigger, 16000), Strokes{});
    EXPECT_EQ(Axis(PadAxis::RightTrigger, 16384), Strokes{Down('Q')});
    EXPECT_EQ(Axis(PadAxis::RightTrigger, 9000), Strokes{});   // eased off, not let go
    EXPECT_EQ(Axis(PadAxis::RightTrigger, 32767), Strokes{});
    EXPECT_EQ(Axis(PadAxis::RightTrigger, 8191), Strokes{Up('Q')});
    EXPECT_EQ(Axis(PadAxis::LeftTrigger, 32767), Strokes{Down('A')});
    EXPECT_EQ(Axis(PadAxis::LeftTrigger, 0), Strokes{Up('A')});
    EXPECT_EQ(Axis(PadAxis::LeftStickX, -32768), Strokes{Down('K')});
    EXPECT_EQ(Axis(PadAxis::LeftStickX, -10000), Strokes{});
    // Flicked straight across: left is let go, right pressed.
    EXPECT_EQ(Axis(PadAxis::LeftStickX, 32767), (Strokes{Up('K'), Down('L')}));
    EXPECT_EQ(Axis(PadAxis::LeftStickX, 0), Strokes{Up('L')});
}

TEST_F(GamepadTest, TwoControlsOnOneKeyHoldItUntilBothLetGo) {
    EXPECT_EQ(Control(PadControl::A, true), Strokes{Down('Q')});
    EXPECT_EQ(Axis(PadAxis::RightTrigger, 32767), Strokes{});
    EXPECT_EQ(Control(PadControl::A, false), Strokes{});
    EXPECT_EQ(Axis(PadAxis::RightTrigger, 0), Strokes{Up('Q')});
    EXPECT_EQ(Control(PadControl::DpadLeft, true), Strokes{Down('K')});
    EXPECT_EQ(Control(PadControl::DpadLeft, true, false, 1), Strokes{});  // a second pad
    EXPECT_EQ(Control(PadControl::DpadLeft, false), Strokes{});
    EXPECT_EQ(Control(PadControl::DpadLeft, false, false, 1), Strokes{Up('K')});
}

TEST_F(GamepadTest, SteeringRepeatsAtTheKeyboardsRateWhileHeld) {
    EXPECT_EQ(Control(PadControl::DpadLeft, true), Strokes{Down('K')});
    EXPECT_EQ(At(1499), Strokes{});
    EXPECT_EQ(At(1500), Strokes{Down('K')});
    EXPECT_EQ(At(1539), Strokes{});
    EXPECT_EQ(At(1540), Strokes{Down('K')});
    EXPECT_EQ(At(1580), Strokes{Down('K')});
    // A late look gives one repeat, and the rate goes on from there.
    EXPECT_EQ(At(1800), Strokes{Down('K')});
    EXPECT_EQ(At(1839), Strokes{});
    EXPECT_EQ(At(1840), Strokes{Down('K')});
    EXPECT_EQ(Control(PadControl::DpadLeft, false), Strokes{Up('K')});
    EXPECT_EQ(At(5000), Strokes{});
    // Held again: the delay starts afresh. Gears and Escape never repeat.
    now = 6000;
    EXPECT_EQ(Axis(PadAxis::LeftStickX, 20000), Strokes{Down('L')});
    EXPECT_EQ(Control(PadControl::A, true), Strokes{Down('Q')});
    EXPECT_EQ(Control(PadControl::Start, true), Strokes{Down(kEscape)});
    EXPECT_EQ(At(6499), Strokes{});
    EXPECT_EQ(At(6500), Strokes{Down('L')});
    EXPECT_EQ(At(9000), Strokes{Down('L')});
}

TEST_F(GamepadTest, PanelsTakeTheDpadForTheFocusAndAForTheButton) {
    EXPECT_EQ(Control(PadControl::DpadDown, true, true), Strokes{Down(kTab)});
    EXPECT_EQ(Control(PadControl::DpadDown, false, true), Strokes{Up(kTab)});
    EXPECT_EQ(Control(PadControl::DpadUp, true, true), Strokes{Down(kTab, 1)});
    EXPECT_EQ(At(5000), Strokes{});  // focus moves do not repeat
    EXPECT_EQ(Control(PadControl::DpadUp, false, true), Strokes{Up(kTab, 1)});
    EXPECT_EQ(Control(PadControl::A, true, true), Strokes{Down(kSpace)});
    // The button started the ride in between: A still lets go of Space, not of Q.
    EXPECT_EQ(Control(PadControl::A, false, false), Strokes{Up(kSpace)});
    EXPECT_EQ(Control(PadControl::A, true, false), Strokes{Down('Q')});
    EXPECT_EQ(Control(PadControl::A, false, true), Strokes{Up('Q')});
    // The rest keep their keys in front of a panel.
    EXPECT_EQ(Control(PadControl::B, true, true), Strokes{Down('A')});
    EXPECT_EQ(Control(PadControl::Start, true, true), Strokes{Down(kEscape)});
    EXPECT_EQ(Axis(PadAxis::RightTrigger, 32767, true), Strokes{Down('Q')});
}

TEST_F(GamepadTest, ReleasingAPadLetsGoOfWhatItHeld) {
    Control(PadControl::DpadLeft, true, false, 0);
    Control(PadControl::A, true, false, 0);
    Control(PadControl::B, true, false, 1);
    Strokes out;
    keys.Release(0, out);
    EXPECT_EQ(out, (Strokes{Up('K'), Up('Q')}));
    EXPECT_EQ(At(5000), Strokes{});  // and stops repeating
    out.clear();
    keys.Release(-1, out);
    EXPECT_EQ(out, Strokes{Up('A')});
    out.clear();
    keys.Release(-1, out);
    EXPECT_EQ(out, Strokes{});
    // The pad's own release after that sends nothing more.
    EXPECT_EQ(Control(PadControl::DpadLeft, false), Strokes{});
}

} // namespace
