#pragma once
#include <cstddef>
#include <cstdint>

namespace platform {

constexpr uint32_t SND_ASYNC = 1;
constexpr uint32_t SND_NODEFAULT = 2;
constexpr uint32_t SND_MEMORY = 4;
constexpr uint32_t SND_LOOP = 8;
constexpr uint32_t SND_NOSTOP = 16;

// Plays one RIFF WAVE image from memory at a time. A new sound stops the one
// playing unless SND_NOSTOP is given, in which case the new one is dropped
// while another plays. A null image stops whatever plays. Without SND_ASYNC the
// call returns when the sound has ended. The image must outlive its playing.
class WavePlayer {
public:
    virtual ~WavePlayer() = default;
    virtual bool PlaySoundA(const uint8_t* image, size_t size, uint32_t flags) = 0;
};

} // namespace platform
