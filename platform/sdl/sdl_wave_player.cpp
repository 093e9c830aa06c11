#include "platform/sdl/sdl_wave_player.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/sdl/sdl_ptrs.h"

namespace platform {
namespace {

constexpr size_t kCacheLimit = 64;
// A blocking request gives up this long after its sound should have ended,
// in case the device stops asking for data.
constexpr Uint64 kWaitMarginMs = 2000;
constexpr int kCueRate = 11025;  // the cues' own rate

Uint64 Ticks() { return SDL_GetPerformanceCounter(); }

} // namespace

// 5 ms buffers ran dry a few times a minute beside one busy process on two
// cores; 10 ms far more rarely, and a cue still reaches the device within 15 ms.
uint16_t SdlWavePlayer::CueBufferFrames(int rate) {
    uint16_t frames = 16;
    while (frames < 4096 && frames * 1000 < rate * 10) frames = static_cast<uint16_t>(frames * 2);
    return frames;
}

SdlWavePlayer::SdlWavePlayer() : SdlWavePlayer(Options{}) {}

SdlWavePlayer::SdlWavePlayer(const Options& options) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
    audioInitialised_ = true;

    SDL_AudioSpec wanted{};
    wanted.freq = options.frequency;
    wanted.format = options.format;
    wanted.channels = options.channels;
    if (wanted.freq == 0) {
        // The device's own rate spares the sound server a conversion and its
        // buffer; SDL converts each cue once, when it is first played.
        SDL_AudioSpec native{};
        char* name = nullptr;
        if (SDL_GetDefaultAudioInfo(&name, &native, 0) == 0 && native.freq > 0) {
            wanted.freq = native.freq;
            if (wanted.channels == 0) wanted.channels = native.channels;
            if (wanted.format == 0) wanted.format = AUDIO_S16SYS;
        } else {
            wanted.freq = kCueRate;
        }
        SDL_free(name);
    }
    if (wanted.format == 0) wanted.format = AUDIO_U8;
    if (wanted.channels == 0) wanted.channels = 1;
    wanted.samples = options.samples ? options.samples : CueBufferFrames(wanted.freq);
    // SDL asks the system's realtime service (RealtimeKit, where there is one)
    // to make its thread realtime; the callback's first buffer tries directly.
    raiseThread_ = options.realtimeThread;
    SDL_SetHint(SDL_HINT_THREAD_FORCE_REALTIME_TIME_CRITICAL, raiseThread_ ? "1" : "0");
    wanted.callback = &SdlWavePlayer::Callback;
    wanted.userdata = this;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained_, options.allowedChanges);
    if (device_ == 0) return;
    SDL_PauseAudioDevice(device_, 0);
}

SdlWavePlayer::~SdlWavePlayer() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    if (audioInitialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlWavePlayer::PlaySoundA(const uint8_t* image, size_t size, uint32_t flags) {
    if (device_ == 0) return false;
    if (image == nullptr) {
        Stop();
        return true;
    }
    if (flags & SND_NOSTOP) {
        SDL_LockAudioDevice(device_);
        const bool busy = playing_;
        SDL_UnlockAudioDevice(device_);
        if (busy) return false;
    }

    std::shared_ptr<const Sound> sound = Load(image, size);
    if (!sound) {
        Stop();
        return false;
    }
    // A loop would never end, so it always plays in the background.
    const bool loop = (flags & SND_LOOP) != 0;
    SDL_LockAudioDevice(device_);
    current_ = sound;
    position_ = 0;
    loop_ = loop;
    playing_ = !sound->samples.empty();
    const uint64_t id = ++playId_;
    askedAt_ = Ticks();
    SDL_UnlockAudioDevice(device_);

    if (!(flags & SND_ASYNC) && !loop) WaitUntilPlayed(id, sound->samples.size());
    return true;
}

void SdlWavePlayer::Stop() {
    SDL_LockAudioDevice(device_);
    current_.reset();
    playing_ = false;
    ++playId_;
    SDL_UnlockAudioDevice(device_);
}

std::shared_ptr<const SdlWavePlayer::Sound> SdlWavePlayer::Load(const uint8_t* image, size_t size) {
    const auto key = std::make_pair(image, size);
    if (auto it = cache_.find(key); it != cache_.end()) {
        if (std::memcmp(it->second->image.data(), image, size) == 0) return it->second;
        cache_.erase(it);
    }
    if (size > static_cast<size_t>(INT_MAX)) return nullptr;

    SDL_AudioSpec wav{};
    Uint8* loaded = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(SDL_RWFromConstMem(image, static_cast<int>(size)), 1, &wav, &loaded, &length))
        return nullptr;
    const WavSamplesPtr buffer(loaded);

    auto sound = std::make_shared<Sound>();
    sound->image.assign(image, image + size);
    SDL_AudioCVT cvt;
    const int build = SDL_BuildAudioCVT(&cvt, wav.format, wav.channels, wav.freq, obtained_.format, obtained_.channels,
                                        obtained_.freq);
    if (build < 0) return nullptr;
    if (build == 0) {
        sound->samples.assign(buffer.get(), buffer.get() + length);
    } else {
        std::vector<uint8_t> work(static_cast<size_t>(length) * static_cast<size_t>(cvt.len_mult));
        std::memcpy(work.data(), buffer.get(), length);
        cvt.buf = work.data();
        cvt.len = static_cast<int>(length);
        if (SDL_ConvertAudio(&cvt) != 0) return nullptr;
        work.resize(static_cast<size_t>(cvt.len_cvt));
        sound->samples = std::move(work);
    }

    if (cache_.size() >= kCacheLimit) cache_.clear();  // the playing sound is kept alive by current_
    cache_.emplace(key, sound);
    return sound;
}

void SdlWavePlayer::WaitUntilPlayed(uint64_t id, size_t bytes) {
    const size_t frameBytes = static_cast<size_t>(SDL_AUDIO_BITSIZE(obtained_.format) / 8) * obtained_.channels;
    const Uint64 durationMs =
        frameBytes && obtained_.freq > 0 ? bytes / frameBytes * 1000 / static_cast<Uint64>(obtained_.freq) : 0;
    const Uint64 giveUp = SDL_GetTicks64() + durationMs + kWaitMarginMs;
    for (;;) {
        SDL_LockAudioDevice(device_);
        // Done once the buffer after the one holding the sound's end is asked
        // for: by then the end has gone out to the device.
        const bool done = playId_ != id || (!playing_ && callbacks_ > endedIn_);
        SDL_UnlockAudioDevice(device_);
        if (done || SDL_GetAudioDeviceStatus(device_) != SDL_AUDIO_PLAYING || SDL_GetTicks64() > giveUp) return;
        SDL_Delay(1);
    }
}

uint64_t SdlWavePlayer::BuffersFilled() const {
    if (device_ == 0) return 0;
    SDL_LockAudioDevice(device_);
    const uint64_t n = callbacks_;
    SDL_UnlockAudioDevice(device_);
    return n;
}

void SDLCALL SdlWavePlayer::Callback(void* userdata, Uint8* stream, int len) {
    static_cast<SdlWavePlayer*>(userdata)->Fill(stream, len);
}

double SdlWavePlayer::BufferMs() const {
    return obtained_.freq > 0 ? 1000.0 * obtained_.samples / obtained_.freq : 0;
}

void SdlWavePlayer::MeasureTiming(size_t cues) {
    if (device_ == 0) return;
    Timing fresh;
    fresh.latencyMs.reserve(cues);
    SDL_LockAudioDevice(device_);
    timing_ = std::move(fresh);
    startedId_ = playId_;
    lastFill_ = 0;
    measuring_ = true;
    SDL_UnlockAudioDevice(device_);
}

SdlWavePlayer::Timing SdlWavePlayer::TakeTiming() {
    Timing taken;
    if (device_ == 0) return taken;
    SDL_LockAudioDevice(device_);
    measuring_ = false;
    taken = std::move(timing_);
    timing_ = {};
    SDL_UnlockAudioDevice(device_);
    return taken;
}

ThreadScheduling SdlWavePlayer::SoundThread() const {
    if (device_ == 0) return {};
    SDL_LockAudioDevice(device_);
    const ThreadScheduling s = thread_;
    SDL_UnlockAudioDevice(device_);
    return s;
}

void SdlWavePlayer::Fill(Uint8* stream, int len) {
    if (callbacks_++ == 0) thread_ = raiseThread_ ? RaiseSoundThread() : CurrentThreadScheduling();
    if (measuring_) {
        const Uint64 now = Ticks();
        const double perMs = static_cast<double>(SDL_GetPerformanceFrequency()) / 1000;
        // Asked for two buffers late, the device has run dry.
        if (lastFill_ && static_cast<double>(now - lastFill_) / perMs > 2 * BufferMs()) timing_.late += 1;
        lastFill_ = now;
        timing_.buffers += 1;
        if (playing_ && startedId_ != playId_) {
            startedId_ = playId_;
            if (timing_.latencyMs.size() < timing_.latencyMs.capacity())
                timing_.latencyMs.push_back(static_cast<float>(static_cast<double>(now - askedAt_) / perMs));
        }
    }
    size_t filled = 0;
    const size_t wanted = static_cast<size_t>(len);
    while (playing_ && filled < wanted) {
        const std::vector<uint8_t>& samples = current_->samples;
        const size_t n = std::min(wanted - filled, samples.size() - position_);
        std::memcpy(stream + filled, samples.data() + position_, n);
        filled += n;
        position_ += n;
        if (position_ == samples.size()) {
            if (loop_) {
                position_ = 0;
            } else {
                playing_ = false;
                endedIn_ = callbacks_;
            }
        }
    }
    std::memset(stream + filled, obtained_.silence, wanted - filled);
}

} // namespace platform
