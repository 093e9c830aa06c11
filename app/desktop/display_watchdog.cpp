#include "app/desktop/display_watchdog.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>

namespace desktop {

namespace {

sigset_t QuitSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

[[noreturn]] void DieOf(int sig) {
    std::signal(sig, SIG_DFL);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, sig);
    pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    raise(sig);
    _exit(128 + sig);
}

} // namespace

DisplayWatchdog::DisplayWatchdog(std::chrono::milliseconds limit, std::string message) {
    const sigset_t quit = QuitSignals();
    restoreMask_ = pthread_sigmask(SIG_BLOCK, &quit, &savedMask_) == 0;
    // A quit signal ignored on entry (nohup) stays ignored: signalfd would see it.
    sigset_t watched;
    sigemptyset(&watched);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        sigaction(sig, nullptr, &current);
        const bool ignored = !(current.sa_flags & SA_SIGINFO) && current.sa_handler == SIG_IGN;
        if (!ignored) sigaddset(&watched, sig);
    }
    signals_ = signalfd(-1, &watched, SFD_CLOEXEC);
    done_ = eventfd(0, EFD_CLOEXEC);
    thread_ = std::thread([this, limit, m = std::move(message)] { Watch(limit, m); });
}

DisplayWatchdog::~DisplayWatchdog() {
    const uint64_t one = 1;
    if (done_ >= 0 && write(done_, &one, sizeof one) != sizeof one) {
        // Without the wake-up the thread would give up on a display that answered.
        _exit(1);
    }
    if (thread_.joinable()) thread_.join();
    if (signals_ >= 0) close(signals_);
    if (done_ >= 0) close(done_);
    if (restoreMask_) pthread_sigmask(SIG_SETMASK, &savedMask_, nullptr);
}

void DisplayWatchdog::Watch(std::chrono::milliseconds limit, const std::string& message) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd fds[2] = {{done_, POLLIN, 0}, {signals_, POLLIN, 0}};
        const int n = poll(fds, signals_ >= 0 ? 2 : 1, static_cast<int>(std::clamp<long long>(left.count(), 0, 60000)));
        if (n < 0) continue;  // EINTR
        if (fds[0].revents & POLLIN) return;
        if (n > 0 && (fds[1].revents & POLLIN)) {
            signalfd_siginfo info{};
            if (read(signals_, &info, sizeof info) == sizeof info) DieOf(static_cast<int>(info.ssi_signo));
            continue;
        }
        if (n == 0) {
            std::fprintf(stderr, "trakmor: %s\n", message.c_str());
            _exit(1);
        }
    }
}

} // namespace desktop
