#pragma once
#include <cstdint>
#include <optional>
#include <random>

namespace platform {

// Uniform draws 0 <= r < 1. Reseed() takes a fresh seed from the clock unless a
// fixed seed was given, which then serves every reseed (replays, tests).
class Random {
public:
    virtual ~Random() = default;
    virtual double Rnd() = 0;
    virtual void Reseed() = 0;
};

class MersenneRandom final : public Random {
public:
    double Rnd() override {
        // 53 random bits scaled by 2^-53: never 1.0.
        return static_cast<double>(engine_() >> 11) * (1.0 / 9007199254740992.0);
    }
    void Reseed() override;
    void FixSeed(uint64_t seed) {
        fixed_ = seed;
        engine_.seed(seed);
    }

private:
    std::mt19937_64 engine_{0};
    std::optional<uint64_t> fixed_;
};

} // namespace platform
