#pragma once
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "platform/wave_player.h"

namespace platform {

// Test double: records every request and models the one-sound-at-a-time rule.
// A sound started with SND_ASYNC stays "playing" until a test clears `playing`,
// another sound replaces it, or a null request stops it; a blocking request
// has finished when it returns.
class FakeWavePlayer : public WavePlayer {
public:
    struct Call {
        const uint8_t* image;
        size_t size;
        uint32_t flags;
    };

    std::vector<Call> calls;
    bool playing = false;
    const uint8_t* current = nullptr;  // the sound that plays or last played
    bool throwOnPlay = false;          // simulate a failing platform call

    bool PlaySoundA(const uint8_t* image, size_t size, uint32_t flags) override {
        calls.push_back({image, size, flags});
        if (throwOnPlay) throw std::runtime_error("PlaySoundA failed");
        if (image == nullptr) {
            playing = false;
            return true;
        }
        if ((flags & SND_NOSTOP) && playing) return false;
        current = image;
        // A looping sound plays on in the background even without SND_ASYNC.
        playing = (flags & (SND_ASYNC | SND_LOOP)) != 0;
        return true;
    }
};

} // namespace platform
