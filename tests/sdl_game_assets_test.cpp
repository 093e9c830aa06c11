// The pictures and sounds the program carries, as the game window gets them.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "game_fixture.h"
#include "platform/sdl/sdl_wave_player.h"
#include "posix_env.h"

using testing_support::GameTest;

namespace {

constexpr size_t kWavSizes[5] = {11958, 11166, 5610, 2124, 3216};
constexpr size_t kSampleCounts[5] = {11900, 11107, 5552, 2040, 3130};

class CarriedAssetsTest : public GameTest {};

TEST_F(CarriedAssetsTest, EverySoundIsItsFileAndOneZeroByte) {
    for (int i = 0; i < 5; ++i) {
        const auto& mem = f->EmbedSound1[i]->MemWav();
        ASSERT_EQ(mem.size(), kWavSizes[i] + 1) << i;
        EXPECT_EQ(mem.back(), 0);
        EXPECT_TRUE(std::equal(mem.begin(), mem.begin() + 4, "RIFF"));
        EXPECT_FALSE(f->EmbedSound1[i]->SyncSnd());
        EXPECT_TRUE(f->EmbedSound1[i]->StopSnd());
        EXPECT_FALSE(f->EmbedSound1[i]->LoopSnd());
        // The source path exists only while the window is designed.
        try {
            (void)f->EmbedSound1[i]->SndFile();
            ADD_FAILURE() << "SndFile readable while running";
        } catch (const platform::RuntimeError& e) {
            EXPECT_EQ(e.number, 393);
        }
    }
}

TEST_F(CarriedAssetsTest, CuesPlayInTheBackgroundCuttingEachOtherOff) {
    game.player.calls.clear();
    f->PlayCue(1);
    f->PlayCue(3);
    ASSERT_EQ(game.player.calls.size(), 2u);
    EXPECT_EQ(game.player.calls[0].flags, 7u);
    EXPECT_EQ(game.player.calls[0].image, f->EmbedSound1[1]->MemWav().data());
    EXPECT_EQ(game.player.calls[1].image, f->EmbedSound1[3]->MemWav().data());
    EXPECT_EQ(game.cues, (std::vector<int>{1, 3}));
}

TEST_F(CarriedAssetsTest, EveryPictureHolderHasItsPicture) {
    for (ui::Element* e : {&f->Image1, &f->Image2, &f->sravno, &f->sdesno, &f->autic, &f->auticl, &f->auticd})
        EXPECT_NE(e->GetPicture(), nullptr) << e->FullName();
    for (int i = 0; i < 4; ++i) {
        EXPECT_NE(f->nemaga[i]->GetPicture(), nullptr) << i;
        EXPECT_NE(f->ometalo[i]->GetPicture(), nullptr) << i;
    }
    for (ui::Element* e : f->Picture3) EXPECT_NE(e->GetPicture(), nullptr);
    ASSERT_NE(game.window.Find("Picture5")->GetPicture(), nullptr);
    EXPECT_EQ(game.window.Find("Picture5")->GetPicture()->width, 190);
    EXPECT_EQ(f->sdesno.GetPicture()->width, 320);
    EXPECT_EQ(f->sdesno.GetPicture()->height, 128);
    EXPECT_NE(game.window.Icon, nullptr);
}

TEST_F(CarriedAssetsTest, CopiedHitMarkKeepsItsTransparency) {
    // The copied cross marks a hit exactly like the original: the road shows through its corners.
    ui::Surface a(32, 32, 0x123456), b(32, 32, 0x123456);
    a.Paint(*f->nemaga[0]->GetPicture(), 0, 0, 32, 32);
    b.Paint(*f->nemaga[2]->GetPicture(), 0, 0, 32, 32);
    EXPECT_EQ(a.Pixels(), b.Pixels());
    EXPECT_EQ(a.At(0, 0), 0x123456u);
    EXPECT_NE(std::count(a.Pixels().begin(), a.Pixels().end(), 0x123456u), 32 * 32);
}

TEST_F(CarriedAssetsTest, CarOverTheBlackRoadEdgeShowsTheEdgeThroughItsWhiteCorners) {
    Start();
    // Paint the playfield black where the car stands, as over a road edge.
    f->Picture1.Image().FillRect(288, 416, 32, 32, 0x000000);
    ui::Surface frame(ui::kScreenWidth, ui::kScreenHeight);
    game.window.Compose(frame);
    EXPECT_EQ(frame.At(288, 416), 0x000000u);  // a white corner of the car picture
    EXPECT_EQ(frame.At(319, 447), 0x000000u);
    EXPECT_EQ(frame.At(298, 422), 0xD8282Au);  // the red body
    for (int y = 416; y < 448; ++y)
        for (int x = 288; x < 320; ++x) EXPECT_NE(frame.At(x, y), 0xFFFFFFu) << x << "," << y;
}

// What SDL's disk audio driver writes when the game's cues are played.
class CueOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        while (SDL_WasInit(SDL_INIT_AUDIO)) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        char path[] = "/tmp/trakmor-cues-XXXXXX";
        const int fd = mkstemp(path);
        ASSERT_GE(fd, 0);
        close(fd);
        output_ = path;
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output_.c_str(), 1);
    }
    void TearDown() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("SDL_DISKAUDIOFILE");
        std::remove(output_.c_str());
    }
    std::string output_;
};

TEST_F(CueOutputTest, EachCueReachesTheDeviceWithExactlyItsSamples) {
    testing_support::TempDir dir;
    headless::HeadlessGame g(dir.path() / "Trakmor_B.spd");
    g.Load();
    std::vector<std::vector<uint8_t>> images;
    for (int i = 0; i < 5; ++i) images.push_back(g.form->EmbedSound1[i]->MemWav());
    {
        platform::SdlWavePlayer::Options o;
        o.samples = 128;
        o.allowedChanges = 0;
        platform::SdlWavePlayer player(o);
        ASSERT_TRUE(player.HasDevice());
        for (const auto& image : images) {  // played to their ends, one after the other
            ASSERT_TRUE(player.PlaySoundA(image.data(), image.size(), platform::SND_NODEFAULT | platform::SND_MEMORY));
        }
    }
    std::ifstream in(output_, std::ios::binary);
    const std::vector<uint8_t> out{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    size_t from = 0;
    for (int i = 0; i < 5; ++i) {
        // The samples follow the RIFF, fmt, fact and data chunk headers.
        const uint8_t* samples = images[static_cast<size_t>(i)].data() + 12 + 26 + 12 + 8;
        const auto at = std::search(out.begin() + static_cast<long>(from), out.end(), samples, samples + kSampleCounts[i]);
        ASSERT_NE(at, out.end()) << "cue " << i << " not found whole in the output";
        from = static_cast<size_t>(at - out.begin()) + kSampleCounts[i];
        // What follows a cue is silence or the next cue, never the pad or zero byte.
        if (from < out.size()) {
            EXPECT_EQ(out[from], 0x80) << i;
        }
    }
}

} // namespace
