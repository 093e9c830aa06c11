#pragma once
#include <signal.h>

#include <chrono>
#include <string>
#include <thread>

namespace desktop {

// Start-up gives up on a display server that takes the connection and never
// answers: SDL and Xlib would wait for it for ever, deaf to SIGINT and SIGTERM.
// While one lives, the program prints "trakmor: " + message and exits with
// status 1 when `limit` passes, and SIGINT, SIGTERM or SIGHUP end it at once,
// as they would with no handler. The constructing thread has those signals
// blocked until the watchdog goes; one that came meanwhile was acted on.
class DisplayWatchdog {
public:
    DisplayWatchdog(std::chrono::milliseconds limit, std::string message);
    ~DisplayWatchdog();
    DisplayWatchdog(const DisplayWatchdog&) = delete;
    DisplayWatchdog& operator=(const DisplayWatchdog&) = delete;

private:
    void Watch(std::chrono::milliseconds limit, const std::string& message);

    int signals_ = -1;  // signalfd of the quit signals
    int done_ = -1;     // eventfd: the watched step has finished
    bool restoreMask_ = false;
    sigset_t savedMask_{};
    std::thread thread_;
};

// What the desktop waits for its display before giving up.
constexpr std::chrono::seconds kDisplayAnswerLimit{5};

} // namespace desktop
