#pragma once
#include <SDL.h>

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/sdl/sound_thread.h"
#include "platform/wave_player.h"

namespace platform {

// WavePlayer over an SDL audio device fed by our own callback. Each image is
// decoded and converted to the device's format once and kept by its address,
// so a cue costs no parsing. Without a usable audio device the player stays
// silent: every request answers false at once.
class SdlWavePlayer : public WavePlayer {
public:
    // Zeros mean: the default device's own rate and channels, 16-bit, where
    // SDL can tell them, else the cues' own format (8-bit mono at 11025 Hz);
    // a buffer of about 10 ms at that rate. A cue's first sample then goes to
    // the device at most one short buffer after it was asked for.
    struct Options {
        int frequency = 0;
        SDL_AudioFormat format = 0;
        uint8_t channels = 0;
        uint16_t samples = 0;  // device buffer in sample frames
        int allowedChanges = SDL_AUDIO_ALLOW_ANY_CHANGE;
        // The device's thread realtime where the system allows it (RaiseSoundThread).
        bool realtimeThread = true;
    };
    // When each cue's first samples were taken, for the benchmark: from the
    // request to the device buffer that took them, and the device buffers
    // asked for later than the device could wait for them.
    struct Timing {
        std::vector<float> latencyMs;
        uint64_t late = 0;
        uint64_t buffers = 0;
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
    // Starts noting the timing of up to `cues` cues; TakeTiming ends it.
    void MeasureTiming(size_t cues);
    Timing TakeTiming();
    // The device's buffer, in milliseconds.
    double BufferMs() const;
    // How the thread that fills the device is scheduled, once it has filled a buffer.
    ThreadScheduling SoundThread() const;
    // The power of two of sample frames that lasts at least 10 ms at the rate.
    static uint16_t CueBufferFrames(int rate);

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
    bool raiseThread_ = true;
    ThreadScheduling thread_;
    // The benchmark's timing, noted by the callback without allocating.
    bool measuring_ = false;
    Uint64 askedAt_ = 0;      // the counter when the playing sound was asked for
    uint64_t startedId_ = 0;  // the last request whose first samples were taken
    Uint64 lastFill_ = 0;
    Timing timing_;
};

} // namespace platform
