#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "platform/wave_player.h"

namespace web {

// The cues through the page's own audio: each image decoded once into an
// audio buffer of the page, and a cue started as a buffer source at once. No
// audio callback and no buffer of ours stand between a cue and the output, so
// it sounds after the audio context's own latency alone; the browser plays
// it on its audio thread, the game's never waits for it.
class WebAudioPlayer final : public platform::WavePlayer {
public:
    // Makes the page's audio context; the browser lets it sound from the
    // player's first key or click on.
    void Open();
    bool PlaySoundA(const uint8_t* image, size_t size, uint32_t flags) override;
    // The context's base and output latency, in milliseconds; 0 before Open.
    static double LatencyMs();

private:
    struct Sound {
        int id = 0;
        std::vector<uint8_t> image;  // to tell an image changed at the same address
        double seconds = 0;
    };
    const Sound* Load(const uint8_t* image, size_t size);

    bool open_ = false;
    int nextId_ = 1;
    std::map<std::pair<const uint8_t*, size_t>, Sound> sounds_;
};

// A WAV image's samples as floats in -1..1, channel after channel, with its
// rate; empty when it cannot be read.
struct Samples {
    std::vector<float> data;
    int channels = 0;
    int rate = 0;
};
Samples DecodeWav(const uint8_t* image, size_t size);

} // namespace web
