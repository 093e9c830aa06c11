#pragma once
#include <SDL.h>

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/wave_player.h"

namespace platform {

// WavePlayer over an SDL audio device fed by our own callback. Each image is
// decoded and converted to the device's format once and kept by its address,
// so a cue costs no parsing. Without a usable audio device the player stays
// silent: every request answers false at once.
class SdlWavePlayer : public WavePlayer {
public:
    struct Options {
        int frequency = 11025;
        SDL_AudioFormat format = AUDIO_U8;
        uint8_t channels = 1;
        uint16_t samples = 512;  // device buffer in sample frames
        int allowedChanges = SDL_AUDIO_ALLOW_ANY_CHANGE;
    };

    SdlWavePlayer();
    explicit SdlWavePlayer(const Options& options);
    ~SdlWavePlayer() override;
    SdlWavePlayer(const SdlWavePlayer&) = delete;
    SdlWavePlayer& operator=(const SdlWavePlayer&) = delete;

    bool PlaySoundA(const uint8_t* image, size_t size, uint32_t flags) override;

    bool HasDevice() const { return device_ != 0; }
    // The format the device was opened with; what cues are converted to.
    const SDL_AudioSpec& DeviceFormat() const { return obtained_; }
    // Device buffers filled so far, silent ones included: lets a caller wait
    // until the device has taken some of a sound.
    uint64_t BuffersFilled() const;

private:
    struct Sound {
        std::vector<uint8_t> image;    // the image it was made from, to tell a reused address
        std::vector<uint8_t> samples;  // in the device's format
    };

    std::shared_ptr<const Sound> Load(const uint8_t* image, size_t size);
    void Stop();
    void WaitUntilPlayed(uint64_t id, size_t bytes);
    static void SDLCALL Callback(void* userdata, Uint8* stream, int len);
    void Fill(Uint8* stream, int len);

    bool audioInitialised_ = false;
    SDL_AudioDeviceID device_ = 0;
    SDL_AudioSpec obtained_{};
    std::map<std::pair<const uint8_t*, size_t>, std::shared_ptr<const Sound>> cache_;

    // Shared with the callback; changed only under SDL_LockAudioDevice.
    std::shared_ptr<const Sound> current_;
    size_t position_ = 0;
    bool loop_ = false;
    bool playing_ = false;
    uint64_t playId_ = 0;     // counts requests, so a waiter sees its sound replaced
    uint64_t callbacks_ = 0;  // device buffers asked for so far
    uint64_t endedIn_ = 0;    // the buffer that took the last samples of the sound
};

} // namespace platform
