#include "app/sdl/gamepad.h"

#include "ui/window.h"

namespace sdl {

namespace {

constexpr int kQ = 'Q', kA = 'A', kK = 'K', kL = 'L';
constexpr int16_t kShift = 1;
// Pushed past half-way is a press; back under a quarter, a release, so that a
// stick resting near the threshold does not chatter.
constexpr int kPressAt = 16384, kReleaseAt = 8192;

bool Steers(int code) { return code == kK || code == kL; }

} // namespace

void GamepadKeys::Control(int pad, PadControl control, bool down, bool buttons, double nowMs,
                          std::vector<KeyStroke>& out) {
    if (!down) {
        Lift(pad, control, out);
        return;
    }
    if (pressed_.count({pad, control})) return;
    switch (control) {
    case PadControl::DpadLeft: case PadControl::StickLeft: Press(pad, control, {kK, 0}, nowMs, out); break;
    case PadControl::DpadRight: case PadControl::StickRight: Press(pad, control, {kL, 0}, nowMs, out); break;
    case PadControl::DpadUp:
        if (buttons) Press(pad, control, {ui::vk::Tab, kShift}, nowMs, out);
        break;
    case PadControl::DpadDown:
        if (buttons) Press(pad, control, {ui::vk::Tab, 0}, nowMs, out);
        break;
    case PadControl::A: Press(pad, control, {buttons ? ui::vk::Space : kQ, 0}, nowMs, out); break;
    case PadControl::RightTrigger: Press(pad, control, {kQ, 0}, nowMs, out); break;
    case PadControl::B: case PadControl::LeftTrigger: Press(pad, control, {kA, 0}, nowMs, out); break;
    case PadControl::Start: case PadControl::Back: Press(pad, control, {ui::vk::Escape, 0}, nowMs, out); break;
    }
}

void GamepadKeys::Axis(int pad, PadAxis axis, int value, bool buttons, double nowMs, std::vector<KeyStroke>& out) {
    auto track = [&](PadControl control, int travel) {
        const bool held = pressed_.count({pad, control}) != 0;
        if (!held && travel >= kPressAt) Control(pad, control, true, buttons, nowMs, out);
        else if (held && travel < kReleaseAt) Control(pad, control, false, buttons, nowMs, out);
    };
    switch (axis) {
    case PadAxis::LeftStickX:
        track(PadControl::StickLeft, -value);
        track(PadControl::StickRight, value);
        break;
    case PadAxis::LeftTrigger: track(PadControl::LeftTrigger, value); break;
    case PadAxis::RightTrigger: track(PadControl::RightTrigger, value); break;
    }
}

void GamepadKeys::Press(int pad, PadControl control, Key key, double nowMs, std::vector<KeyStroke>& out) {
    pressed_[{pad, control}] = key;
    Held& h = held_[key];
    if (h.count++ > 0) return;  // already down through another control
    h.nextRepeat = Steers(key.code) ? nowMs + timing_.delayMs : -1;
    out.push_back({true, key.code, key.shift});
}

void GamepadKeys::Lift(int pad, PadControl control, std::vector<KeyStroke>& out) {
    const auto it = pressed_.find({pad, control});
    if (it == pressed_.end()) return;
    const Key key = it->second;
    pressed_.erase(it);
    const auto h = held_.find(key);
    if (h == held_.end() || --h->second.count > 0) return;
    held_.erase(h);
    out.push_back({false, key.code, key.shift});
}

void GamepadKeys::Tick(double nowMs, std::vector<KeyStroke>& out) {
    for (auto& [key, h] : held_) {
        if (h.nextRepeat < 0 || nowMs < h.nextRepeat) continue;
        out.push_back({true, key.code, key.shift});
        // After a stall the repeats go on from now rather than catching up in a burst.
        h.nextRepeat += timing_.intervalMs;
        if (h.nextRepeat <= nowMs) h.nextRepeat = nowMs + timing_.intervalMs;
    }
}

void GamepadKeys::Release(int pad, std::vector<KeyStroke>& out) {
    std::vector<std::pair<int, PadControl>> controls;
    for (const auto& [source, key] : pressed_)
        if (pad < 0 || source.first == pad) controls.push_back(source);
    for (const auto& [p, control] : controls) Lift(p, control, out);
}

} // namespace sdl
