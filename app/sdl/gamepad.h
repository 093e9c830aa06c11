#pragma once
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace sdl {

// The controls of a pad the game answers to, whatever the pad.
enum class PadControl {
    DpadLeft, DpadRight, DpadUp, DpadDown,
    StickLeft, StickRight,  // the left stick pushed sideways
    A, B, RightTrigger, LeftTrigger, Start, Back,
};

// The stick's and the triggers' travel, as SDL reports it (-32768..32767).
enum class PadAxis { LeftStickX, LeftTrigger, RightTrigger };

struct RepeatTiming {
    double delayMs = 500;
    double intervalMs = 1000.0 / 30;
};

struct KeyStroke {
    bool down = true;
    int code = 0;
    int16_t shift = 0;
    bool operator==(const KeyStroke&) const = default;
};

// Turns pads into keys, as a keyboard player would press them: the d-pad and
// the stick steer (K, L), A or the right trigger shifts up (Q), B or the left
// trigger down (A), Start and Back are Escape. While a panel with buttons is in
// front (`buttons`), the d-pad's up and down move the focus as Shift+Tab and Tab
// do and A presses the focused button as Space does. Steering repeats while held,
// as the keyboard's keys do. Each control releases the key it pressed, even
// when the screen has changed in between.
class GamepadKeys {
public:
    explicit GamepadKeys(RepeatTiming timing = {}) : timing_(timing) {}
    void SetTiming(RepeatTiming timing) { timing_ = timing; }

    void Control(int pad, PadControl control, bool down, bool buttons, double nowMs, std::vector<KeyStroke>& out);
    void Axis(int pad, PadAxis axis, int value, bool buttons, double nowMs, std::vector<KeyStroke>& out);
    // The repeats of held steering keys that are due.
    void Tick(double nowMs, std::vector<KeyStroke>& out);
    // Lets go of whatever `pad` holds (unplugged), or every pad for -1 (focus lost).
    void Release(int pad, std::vector<KeyStroke>& out);

private:
    struct Key {
        int code;
        int16_t shift;
        auto operator<=>(const Key&) const = default;
    };
    struct Held {
        int count = 0;        // controls holding it
        double nextRepeat = -1;  // negative: does not repeat
    };
    void Press(int pad, PadControl control, Key key, double nowMs, std::vector<KeyStroke>& out);
    void Lift(int pad, PadControl control, std::vector<KeyStroke>& out);

    RepeatTiming timing_;
    std::map<std::pair<int, PadControl>, Key> pressed_;  // what each control holds down
    std::map<Key, Held> held_;
};

} // namespace sdl
