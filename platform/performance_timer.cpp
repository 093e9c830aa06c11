#include "platform/performance_timer.h"

#include <cmath>

namespace platform {

PerformanceTimer::PerformanceTimer(Counter& counter) : counter_(counter) {
    if (counter_.QueryFrequency(&frequency)) {
        int64_t total = 0;
        for (int i = 1; i <= 1000; ++i) {
            counter_.QueryCounter(&startCount);
            counter_.QueryCounter(&stopCount);
            total += stopCount - startCount;
        }
        overhead = static_cast<int64_t>(std::nearbyint(static_cast<double>(total) / 1000.0));
    } else {
        frequency = 10000;
    }
    startCount = 0;
    stopCount = 0;
}

bool PerformanceTimer::Supported() const {
    int64_t scratch = 0;
    return counter_.QueryCounter(&scratch);
}

void PerformanceTimer::StartTimer() {
    counter_.QueryCounter(&startCount);
    stopCount = 0;
}

void PerformanceTimer::StopTimer() { counter_.QueryCounter(&stopCount); }

double PerformanceTimer::TimeElapsed(int32_t ReturnAccuracy) const {
    if (stopCount == 0) return 0.0;
    const int64_t ticks = stopCount - startCount - overhead;
    return static_cast<double>(ticks) / static_cast<double>(frequency) * static_cast<double>(ReturnAccuracy);
}

} // namespace platform
