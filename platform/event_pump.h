#pragma once

namespace platform {

// Lets the window's pending events run: input, due timers and, when a display
// refresh is due, presenting the window. The game calls it wherever it gives
// way to the player. `remainingUs` is how long the caller still means to wait;
// an implementation may sleep through part of it, but must return early enough
// for the caller to meet its deadline.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void Yield(double remainingUs) = 0;
    void DoEvents() { Yield(0.0); }
};

} // namespace platform
