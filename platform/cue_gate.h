#pragma once
#include "platform/wave_player.h"

namespace platform {

// Passes sounds on to a player, except that no sound is started while the
// game's window is minimised: nobody is there to hear what happened. Stopping
// a sound always goes through.
class CueGate final : public WavePlayer {
public:
    explicit CueGate(WavePlayer& player) : player_(player) {}
    void SetMinimised(bool minimised) { minimised_ = minimised; }
    bool Minimised() const { return minimised_; }

    bool PlaySoundA(const uint8_t* image, size_t size, uint32_t flags) override {
        if (minimised_ && image != nullptr) return false;
        return player_.PlaySoundA(image, size, flags);
    }

private:
    WavePlayer& player_;
    bool minimised_ = false;
};

} // namespace platform
