#pragma once
#include <cstdint>

#include "platform/counter.h"

namespace platform {

// Measures short intervals, less the cost of reading the counter twice.
class PerformanceTimer {
public:
    explicit PerformanceTimer(Counter& counter);

    bool Supported() const;
    void StartTimer();
    void StopTimer();
    double TimeElapsed(int32_t ReturnAccuracy) const;

    int64_t Frequency() const { return frequency; }
    int64_t Overhead() const { return overhead; }

private:
    Counter& counter_;
    int64_t frequency = 0;
    int64_t startCount = 0;
    int64_t stopCount = 0;
    int64_t overhead = 0;
};

} // namespace platform
