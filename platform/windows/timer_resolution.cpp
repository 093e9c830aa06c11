#include "platform/windows/timer_resolution.h"

#include <windows.h>
#include <timeapi.h>

namespace platform {

TimerResolution::TimerResolution() {
    TIMECAPS caps{};
    const UINT wanted = timeGetDevCaps(&caps, sizeof caps) == MMSYSERR_NOERROR ? (caps.wPeriodMin > 1 ? caps.wPeriodMin : 1) : 1;
    if (timeBeginPeriod(wanted) == TIMERR_NOERROR) period_ = wanted;
}

TimerResolution::~TimerResolution() {
    if (period_) timeEndPeriod(period_);
}

} // namespace platform
