#pragma once
#include <cstdint>

namespace platform {

// The machine's high-resolution tick counter. Both calls answer false when the
// counter is not available, and then leave *out untouched.
class Counter {
public:
    virtual ~Counter() = default;
    virtual bool QueryFrequency(int64_t* out) = 0;
    virtual bool QueryCounter(int64_t* out) = 0;
};

// A counter that only moves when told to: the clock of tests and of the driver.
class FakeCounter final : public Counter {
public:
    explicit FakeCounter(int64_t frequency = 1000000) : frequency_(frequency) {}
    bool QueryFrequency(int64_t* out) override {
        if (!frequencyWorks) return false;
        *out = frequency_;
        return true;
    }
    bool QueryCounter(int64_t* out) override {
        if (!counterWorks) return false;
        *out = now;
        now += ticksPerRead;
        return true;
    }
    int64_t Frequency() const { return frequency_; }
    void AdvanceMicroseconds(double us) { now += static_cast<int64_t>(us * static_cast<double>(frequency_) / 1e6); }

    int64_t now = 0;
    int64_t ticksPerRead = 0;
    bool frequencyWorks = true;
    bool counterWorks = true;

private:
    int64_t frequency_;
};

} // namespace platform
