#include "app/web/web_audio.h"

#include <SDL.h>
#include <emscripten.h>

#include <climits>
#include <cstring>

#include "app/web/browser.h"
#include "platform/sdl/sdl_ptrs.h"

// The page's side (Module.trakmorAudio): one context, the decoded buffers by
// id, and the one source playing.
EM_JS(void, trakmor_audio_open, (), {
    if (Module.trakmorAudio) return;
    var Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return;
    var a = Module.trakmorAudio = {context : new Context({latencyHint : 'interactive'}), buffers : {}, source : null};
    // Browsers let a page sound only after the player has used it.
    function resume() {
        if (a.context.state === 'suspended') a.context.resume();
    }
    ['keydown', 'mousedown', 'touchstart'].forEach(function(type) { window.addEventListener(type, resume, true); });
});
EM_JS(void, trakmor_audio_buffer, (int id, const float* data, int frames, int channels, int rate), {
    var a = Module.trakmorAudio;
    if (!a) return;
    var buffer = a.context.createBuffer(channels, frames, rate);
    for (var c = 0; c < channels; c++)
        buffer.copyToChannel(HEAPF32.subarray((data >> 2) + c * frames, (data >> 2) + (c + 1) * frames), c);
    a.buffers[id] = buffer;
});
EM_JS(int, trakmor_audio_play, (int id, int loop), {
    var a = Module.trakmorAudio;
    if (!a || !a.buffers[id]) return 0;
    if (a.source) a.source.stop();
    var source = a.context.createBufferSource();
    source.buffer = a.buffers[id];
    source.loop = !!loop;
    source.connect(a.context.destination);
    source.onended = function() {
        if (a.source === source) a.source = null;
    };
    source.start();
    a.source = source;
    return 1;
});
EM_JS(void, trakmor_audio_stop, (), {
    var a = Module.trakmorAudio;
    if (a && a.source) {
        a.source.stop();
        a.source = null;
    }
});
EM_JS(int, trakmor_audio_playing, (), { return Module.trakmorAudio && Module.trakmorAudio.source ? 1 : 0; });
EM_JS(double, trakmor_audio_latency_ms, (), {
    var a = Module.trakmorAudio;
    if (!a) return 0;
    return ((a.context.baseLatency || 0) + (a.context.outputLatency || 0)) * 1000;
});

namespace web {

namespace {
constexpr size_t kCacheLimit = 64;
} // namespace

Samples DecodeWav(const uint8_t* image, size_t size) {
    Samples out;
    if (!image || size > static_cast<size_t>(INT_MAX)) return out;
    SDL_AudioSpec spec{};
    Uint8* loaded = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(SDL_RWFromConstMem(image, static_cast<int>(size)), 1, &spec, &loaded, &length)) return out;
    const platform::WavSamplesPtr owned(loaded);
    const int bytes = SDL_AUDIO_BITSIZE(spec.format) / 8;
    if (spec.channels == 0 || (spec.format != AUDIO_U8 && spec.format != AUDIO_S16LSB)) return out;
    const size_t frames = length / (static_cast<size_t>(bytes) * spec.channels);
    out.channels = spec.channels;
    out.rate = spec.freq;
    out.data.resize(frames * spec.channels);
    for (size_t f = 0; f < frames; ++f) {
        for (int c = 0; c < spec.channels; ++c) {
            const uint8_t* at = loaded + (f * spec.channels + static_cast<size_t>(c)) * static_cast<size_t>(bytes);
            float v = 0;
            if (spec.format == AUDIO_U8) {
                v = (static_cast<float>(*at) - 128.0f) / 128.0f;
            } else {
                int16_t s = 0;
                std::memcpy(&s, at, 2);
                v = static_cast<float>(s) / 32768.0f;
            }
            out.data[static_cast<size_t>(c) * frames + f] = v;
        }
    }
    return out;
}

void WebAudioPlayer::Open() {
    trakmor_audio_open();
    open_ = true;
}

double WebAudioPlayer::LatencyMs() { return trakmor_audio_latency_ms(); }

const WebAudioPlayer::Sound* WebAudioPlayer::Load(const uint8_t* image, size_t size) {
    const auto key = std::make_pair(image, size);
    if (auto it = sounds_.find(key); it != sounds_.end()) {
        if (std::memcmp(it->second.image.data(), image, size) == 0) return &it->second;
        sounds_.erase(it);
    }
    const Samples samples = DecodeWav(image, size);
    if (samples.data.empty()) return nullptr;
    if (sounds_.size() >= kCacheLimit) sounds_.clear();
    Sound& sound = sounds_[key];
    sound.id = nextId_++;
    sound.image.assign(image, image + size);
    const int frames = static_cast<int>(samples.data.size() / static_cast<size_t>(samples.channels));
    sound.seconds = static_cast<double>(frames) / samples.rate;
    trakmor_audio_buffer(sound.id, samples.data.data(), frames, samples.channels, samples.rate);
    return &sound;
}

bool WebAudioPlayer::PlaySoundA(const uint8_t* image, size_t size, uint32_t flags) {
    // Sounds asked for before the intro screen was up are not heard.
    if (!open_) return false;
    if (image == nullptr) {
        trakmor_audio_stop();
        return true;
    }
    if ((flags & platform::SND_NOSTOP) && trakmor_audio_playing()) return false;
    const Sound* sound = Load(image, size);
    if (!sound) {
        trakmor_audio_stop();
        return false;
    }
    const bool loop = (flags & platform::SND_LOOP) != 0;
    if (!trakmor_audio_play(sound->id, loop ? 1 : 0)) return false;
    // A blocking cue gives the page the time it plays for.
    if (!(flags & platform::SND_ASYNC) && !loop) Sleep(sound->seconds * 1e6);
    return true;
}

} // namespace web
