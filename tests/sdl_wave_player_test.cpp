#include "platform/sdl/sdl_wave_player.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/little_endian.h"
#include "scoped_env.h"

namespace fs = std::filesystem;
using platform::SdlWavePlayer;
using namespace platform;  // SND_* flags

namespace {

void PutTag(std::vector<uint8_t>& v, const char* tag) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(tag[i]));
}

// A WAV image laid out like the game's: 18-byte "fmt " (U8 mono 11025), "fact",
// "data" with its pad byte when odd, a LIST/INFO chunk, then the extra zero
// byte that the sound component keeps after the file.
std::vector<uint8_t> WavImage(const std::vector<uint8_t>& samples) {
    std::vector<uint8_t> body;
    PutTag(body, "WAVE");
    PutTag(body, "fmt ");
    Put32(body, 18);
    Put16(body, 1);
    Put16(body, 1);
    Put32(body, 11025);
    Put32(body, 11025);
    Put16(body, 1);
    Put16(body, 8);
    Put16(body, 0);
    PutTag(body, "fact");
    Put32(body, 4);
    Put32(body, static_cast<uint32_t>(samples.size()));
    PutTag(body, "data");
    Put32(body, static_cast<uint32_t>(samples.size()));
    body.insert(body.end(), samples.begin(), samples.end());
    if (samples.size() % 2) body.push_back(0);
    PutTag(body, "LIST");
    Put32(body, 16);
    PutTag(body, "INFO");
    PutTag(body, "IART");
    Put32(body, 6);
    body.insert(body.end(), {'l', 'o', 'v', 'a', '2', 0});

    std::vector<uint8_t> image;
    PutTag(image, "RIFF");
    Put32(image, static_cast<uint32_t>(body.size()));
    image.insert(image.end(), body.begin(), body.end());
    image.push_back(0);
    return image;
}

// Samples in [lo, hi], never the U8 silence 0x80, so a cue stands out of the output.
std::vector<uint8_t> Tone(size_t n, uint8_t lo, uint8_t hi) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(lo + (i * 37) % (hi - lo + 1));
    return v;
}

constexpr uint8_t kSilence = 0x80;

// Each test gets its own audio subsystem with the disk driver, which writes
// what the device plays into a file.
class SdlWavePlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        while (SDL_WasInit(SDL_INIT_AUDIO)) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        std::string tmpl = (fs::temp_directory_path() / "sdl_wave_player_XXXXXX").string();
        const int fd = mkstemp(tmpl.data());
        ASSERT_GE(fd, 0);
        close(fd);
        output_ = tmpl;
        driver_.emplace("SDL_AUDIODRIVER", "disk");
        file_.emplace("SDL_DISKAUDIOFILE", output_.string());
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove(output_, ec);
    }

    static SdlWavePlayer::Options U8Device() {
        SdlWavePlayer::Options o;
        o.frequency = 11025;
        o.format = AUDIO_U8;
        o.channels = 1;
        o.samples = 128;
        o.allowedChanges = 0;
        return o;
    }

    std::vector<uint8_t> Output() const {
        std::ifstream in(output_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Waits until the device has filled `count` more buffers.
    static void WaitForBuffers(const SdlWavePlayer& player, uint64_t count) {
        const uint64_t target = player.BuffersFilled() + count;
        const Uint64 giveUp = SDL_GetTicks64() + 10000;
        while (player.BuffersFilled() < target) {
            if (SDL_GetTicks64() > giveUp) {
                ADD_FAILURE() << "the device stopped asking for data";
                return;
            }
            SDL_Delay(2);
        }
    }

    fs::path output_;
    std::optional<ScopedEnv> driver_, file_;
};

// Splits U8 output into the runs that are not silence.
std::vector<std::vector<uint8_t>> Bursts(const std::vector<uint8_t>& out) {
    std::vector<std::vector<uint8_t>> bursts;
    bool in = false;
    for (uint8_t b : out) {
        if (b == kSilence) {
            in = false;
            continue;
        }
        if (!in) bursts.emplace_back();
        in = true;
        bursts.back().push_back(b);
    }
    return bursts;
}

} // namespace

TEST_F(SdlWavePlayerTest, BlockingCuePlaysExactlyItsSamples) {
    const auto samples = Tone(1103, 1, 126);  // odd: the data chunk has a pad byte
    const auto image = WavImage(samples);
    {
        SdlWavePlayer player(U8Device());
        ASSERT_TRUE(player.HasDevice());
        ASSERT_EQ(player.DeviceFormat().format, AUDIO_U8);
        EXPECT_TRUE(player.PlaySoundA(image.data(), image.size(), SND_NODEFAULT | SND_MEMORY));
    }
    const auto bursts = Bursts(Output());
    ASSERT_EQ(bursts.size(), 1u);
    // Neither the pad byte nor the extra zero byte is played.
    EXPECT_EQ(bursts[0], samples);
}

TEST_F(SdlWavePlayerTest, NewCueCutsOffThePlayingOne) {
    const auto first = Tone(22050, 1, 60);
    const auto second = Tone(500, 150, 250);
    const auto firstImage = WavImage(first), secondImage = WavImage(second);
    {
        SdlWavePlayer player(U8Device());
        ASSERT_TRUE(player.PlaySoundA(firstImage.data(), firstImage.size(), 7));
        WaitForBuffers(player, 2);
        EXPECT_TRUE(player.PlaySoundA(secondImage.data(), secondImage.size(), 6));
    }
    const auto bursts = Bursts(Output());
    ASSERT_EQ(bursts.size(), 1u);
    const auto& out = bursts[0];
    ASSERT_GT(out.size(), second.size());
    const size_t played = out.size() - second.size();
    EXPECT_LT(played, first.size());
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + played, first.begin()));
    EXPECT_TRUE(std::equal(out.begin() + played, out.end(), second.begin()));
}

TEST_F(SdlWavePlayerTest, NoStopCueIsDroppedWhileAnotherPlays) {
    const auto first = Tone(22050, 1, 60);
    const auto second = Tone(300, 150, 250);
    const auto firstImage = WavImage(first), secondImage = WavImage(second);
    {
        SdlWavePlayer player(U8Device());
        ASSERT_TRUE(player.PlaySoundA(firstImage.data(), firstImage.size(), 7));
        EXPECT_FALSE(player.PlaySoundA(secondImage.data(), secondImage.size(), 7 | SND_NOSTOP));
        WaitForBuffers(player, 2);
        EXPECT_TRUE(player.PlaySoundA(nullptr, 0, 7));
        WaitForBuffers(player, 1);  // a buffer of silence between the two
        EXPECT_TRUE(player.PlaySoundA(secondImage.data(), secondImage.size(), 6 | SND_NOSTOP));
    }
    const auto bursts = Bursts(Output());
    ASSERT_EQ(bursts.size(), 2u);
    EXPECT_LT(bursts[0].size(), first.size());
    EXPECT_TRUE(std::equal(bursts[0].begin(), bursts[0].end(), first.begin()));
    EXPECT_EQ(bursts[1], second);
}

TEST_F(SdlWavePlayerTest, LoopRepeatsUntilStopped) {
    const auto samples = Tone(100, 1, 126);
    const auto image = WavImage(samples);
    {
        SdlWavePlayer player(U8Device());
        // Without SND_ASYNC a loop still returns at once.
        ASSERT_TRUE(player.PlaySoundA(image.data(), image.size(), 6 | SND_LOOP));
        WaitForBuffers(player, 3);
        EXPECT_TRUE(player.PlaySoundA(nullptr, 0, 7));
    }
    const auto bursts = Bursts(Output());
    ASSERT_EQ(bursts.size(), 1u);
    ASSERT_GE(bursts[0].size(), 2 * samples.size());
    for (size_t i = 0; i < bursts[0].size(); ++i) ASSERT_EQ(bursts[0][i], samples[i % samples.size()]) << i;
}

TEST_F(SdlWavePlayerTest, ImageChangedAtTheSameAddressIsDecodedAgain) {
    auto image = WavImage(Tone(200, 1, 60));
    const auto changed = Tone(200, 150, 250);
    {
        SdlWavePlayer player(U8Device());
        ASSERT_TRUE(player.PlaySoundA(image.data(), image.size(), 6));
        const auto again = WavImage(changed);
        std::copy(again.begin(), again.end(), image.begin());
        WaitForBuffers(player, 1);
        ASSERT_TRUE(player.PlaySoundA(image.data(), image.size(), 6));
    }
    const auto bursts = Bursts(Output());
    ASSERT_EQ(bursts.size(), 2u);
    EXPECT_EQ(bursts[1], changed);
}

TEST_F(SdlWavePlayerTest, CueIsConvertedToTheDeviceFormat) {
    const auto samples = Tone(301, 1, 126);
    const auto image = WavImage(samples);
    {
        SdlWavePlayer::Options o = U8Device();
        o.format = AUDIO_S16LSB;
        SdlWavePlayer player(o);
        ASSERT_EQ(player.DeviceFormat().format, AUDIO_S16LSB);
        EXPECT_TRUE(player.PlaySoundA(image.data(), image.size(), 6));
    }
    const auto out = Output();
    std::vector<int16_t> played;
    for (size_t i = 0; i + 1 < out.size(); i += 2) {
        const auto v = static_cast<int16_t>(out[i] | out[i + 1] << 8);
        if (v != 0) played.push_back(v);
    }
    ASSERT_EQ(played.size(), samples.size());
    // SDL converts through float, so allow for its rounding.
    for (size_t i = 0; i < samples.size(); ++i) EXPECT_NEAR(played[i], (samples[i] - 128) * 256, 2) << i;
}

TEST_F(SdlWavePlayerTest, WhereTheSystemNamesNoDeviceFormatTheCuesOwnIsOpenedWithAShortBuffer) {
    // The disk driver tells no device's own format.
    SdlWavePlayer player;
    ASSERT_TRUE(player.HasDevice());
    EXPECT_EQ(player.DeviceFormat().freq, 11025);
    EXPECT_EQ(player.DeviceFormat().format, AUDIO_U8);
    EXPECT_EQ(player.DeviceFormat().channels, 1);
    EXPECT_EQ(player.DeviceFormat().samples, SdlWavePlayer::CueBufferFrames(11025));
    EXPECT_GE(player.BufferMs(), 10.0);
    EXPECT_LT(player.BufferMs(), 15.0);
}

TEST(CueBufferFramesTest, TheShortestPowerOfTwoThatLastsTenMilliseconds) {
    // Long enough not to run dry beside a busy process, short enough that a
    // cue is handed over within 15 ms at 44.1 and 48 kHz.
    for (const int rate : {8000, 11025, 22050, 32000, 44100, 48000, 96000, 192000}) {
        const unsigned frames = SdlWavePlayer::CueBufferFrames(rate);
        EXPECT_EQ(frames & (frames - 1), 0u) << rate;
        EXPECT_GE(frames * 1000.0 / rate, 10.0) << rate;
        EXPECT_LT(frames / 2 * 1000.0 / rate, 10.0) << rate;
        if (rate == 44100 || rate == 48000) {
            EXPECT_LT(frames * 1000.0 / rate, 15.0) << rate;
        }
    }
}

TEST_F(SdlWavePlayerTest, EachCueStartedIsTimedOnceWhenItsFirstSamplesAreTaken) {
    const auto image = WavImage(Tone(1103, 1, 126));
    SdlWavePlayer player(U8Device());
    player.MeasureTiming(8);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(player.PlaySoundA(image.data(), image.size(), SND_ASYNC | SND_NODEFAULT | SND_MEMORY));
        WaitForBuffers(player, 2);
    }
    const SdlWavePlayer::Timing t = player.TakeTiming();
    EXPECT_EQ(t.latencyMs.size(), 3u) << "each cue once, however many buffers it spans";
    for (float ms : t.latencyMs) EXPECT_GE(ms, 0.0f);
    EXPECT_GE(t.buffers, 6u);
    // Ended, the timing takes nothing more.
    ASSERT_TRUE(player.PlaySoundA(image.data(), image.size(), SND_ASYNC | SND_NODEFAULT | SND_MEMORY));
    WaitForBuffers(player, 2);
    EXPECT_TRUE(player.TakeTiming().latencyMs.empty());
}

#ifdef __linux__
// Where a thread of ours may be realtime, the one filling the device is, and
// only when asked; the game's own thread never is.
TEST_F(SdlWavePlayerTest, TheDeviceIsFilledFromARealtimeThreadWhereTheSystemAllowsIt) {
    bool allowed = false;
    std::thread([&] { allowed = platform::RaiseSoundThread().realtime; }).join();
    for (const bool asked : {true, false}) {
        SdlWavePlayer::Options o = U8Device();
        o.realtimeThread = asked;
        SdlWavePlayer player(o);
        WaitForBuffers(player, 2);
        EXPECT_EQ(player.SoundThread().realtime, asked && allowed) << "asked " << asked;
        EXPECT_FALSE(platform::CurrentThreadScheduling().realtime);
    }
}
#endif

TEST_F(SdlWavePlayerTest, UnreadableImageIsRefused) {
    const std::vector<uint8_t> garbage = {'R', 'I', 'F', 'F', 1, 2, 3};
    auto truncated = WavImage(Tone(100, 1, 60));
    truncated.resize(40);
    SdlWavePlayer player(U8Device());
    EXPECT_FALSE(player.PlaySoundA(garbage.data(), garbage.size(), 6));
    EXPECT_FALSE(player.PlaySoundA(truncated.data(), truncated.size(), 6));
}

TEST_F(SdlWavePlayerTest, WithoutAnAudioDeviceThePlayerIsSilent) {
    ScopedEnv none("SDL_AUDIODRIVER", "nonexistent");
    const auto image = WavImage(Tone(11025, 1, 60));
    SdlWavePlayer player;
    EXPECT_FALSE(player.HasDevice());
    EXPECT_FALSE(player.PlaySoundA(image.data(), image.size(), 6));  // blocking, yet returns
    EXPECT_FALSE(player.PlaySoundA(image.data(), image.size(), 7 | SND_LOOP));
    EXPECT_FALSE(player.PlaySoundA(nullptr, 0, 7));
    EXPECT_EQ(player.BuffersFilled(), 0u);
}
