#pragma once

namespace platform {

// Windows wakes sleepers on its timer tick, 15.6 ms unless a program asks for
// a finer one: a frame of 625 us could not be slept in at all, and every wait
// for events would end up to a tick late. While one of these lives the tick
// is 1 ms (timeBeginPeriod), for every wait of the process: our own sleeps and
// SDL's waits for events alike, which a waitable timer of our own would not
// reach. SDL asks for the same by default; the game's pace does not rest on
// SDL's default.
class TimerResolution {
public:
    TimerResolution();
    ~TimerResolution();
    TimerResolution(const TimerResolution&) = delete;
    TimerResolution& operator=(const TimerResolution&) = delete;
    // The period obtained in milliseconds, 0 if the system refused.
    unsigned Period() const { return period_; }

private:
    unsigned period_ = 0;
};

} // namespace platform
