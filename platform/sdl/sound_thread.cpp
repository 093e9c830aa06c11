#include "platform/sdl/sound_thread.h"

#ifdef __linux__
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace platform {

#ifdef __linux__

namespace {
id_t ThisThread() { return static_cast<id_t>(syscall(SYS_gettid)); }
} // namespace

ThreadScheduling CurrentThreadScheduling() {
    ThreadScheduling s;
    const int policy = sched_getscheduler(0) & ~SCHED_RESET_ON_FORK;
    sched_param param{};
    if ((policy == SCHED_RR || policy == SCHED_FIFO) && sched_getparam(0, &param) == 0) {
        s.realtime = true;
        s.level = param.sched_priority;
        return s;
    }
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, ThisThread());
    if (errno == 0) s.level = nice;
    return s;
}

ThreadScheduling RaiseSoundThread() {
    ThreadScheduling now = CurrentThreadScheduling();
    if (now.realtime) return now;
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_RR);
    // Reset on fork: a program this thread starts is not born realtime.
    if (sched_setscheduler(0, SCHED_RR | SCHED_RESET_ON_FORK, &param) != 0 && now.level > -20)
        setpriority(PRIO_PROCESS, ThisThread(), -20);  // refused unless allowed: then it stays as it was
    return CurrentThreadScheduling();
}

#else

ThreadScheduling CurrentThreadScheduling() { return {}; }
ThreadScheduling RaiseSoundThread() { return {}; }

#endif

} // namespace platform
