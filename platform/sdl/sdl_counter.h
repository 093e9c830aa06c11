#pragma once
#include <SDL.h>

#include "platform/counter.h"

namespace platform {

class SdlCounter final : public Counter {
public:
    bool QueryFrequency(int64_t* out) override {
        const Uint64 f = SDL_GetPerformanceFrequency();
        if (f == 0) return false;
        *out = static_cast<int64_t>(f);
        return true;
    }
    bool QueryCounter(int64_t* out) override {
        *out = static_cast<int64_t>(SDL_GetPerformanceCounter());
        return true;
    }
};

} // namespace platform
