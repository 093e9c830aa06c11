// The window's screens against reference pictures. After an intended change of
// looks, run the tests with TRAKMOR_UPDATE_GOLDEN=1 to write the references anew
// (then look at them before committing).
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "game_fixture.h"
#include "platform/sdl/sdl_ptrs.h"

namespace {

const std::string kGoldenDir = std::string(TRAKMOR_SOURCE_DIR) + "/tests/golden/";

bool SavePng(const ui::Surface& frame, const std::string& path) {
    const platform::SurfacePtr s(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(frame.Pixels().data()),
                                                                    frame.Width(), frame.Height(), 32, frame.Width() * 4,
                                                                    SDL_PIXELFORMAT_RGB888));
    return s && IMG_SavePNG(s.get(), path.c_str()) == 0;
}

bool LoadPng(const std::string& path, ui::Surface* out) {
    const platform::SurfacePtr loaded(IMG_Load(path.c_str()));
    if (!loaded) return false;
    const platform::SurfacePtr rgb(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_RGB888, 0));
    if (!rgb) return false;
    out->Resize(rgb->w, rgb->h, 0);
    for (int y = 0; y < rgb->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(rgb->pixels) + y * rgb->pitch);
        for (int x = 0; x < rgb->w; ++x) out->Row(y)[x] = row[x] & 0xFFFFFFu;
    }
    return true;
}

// A frame matches its reference when no more than kPixelBudget pixels have a
// channel more than kChannelThreshold away from it: a new FreeType may shade the
// edges of the letters a little differently, but a moved, missing or recoloured
// element changes more pixels than that, and by more.
constexpr int kChannelThreshold = 32;
constexpr int kPixelBudget = 64;

struct FrameDiff {
    int differing = 0;
    // The reference dimmed, with the differing pixels in magenta.
    ui::Surface image;
};

FrameDiff Compare(const ui::Surface& actual, const ui::Surface& expected) {
    FrameDiff d;
    d.image.Resize(expected.Width(), expected.Height(), 0);
    for (int y = 0; y < expected.Height(); ++y) {
        for (int x = 0; x < expected.Width(); ++x) {
            const uint32_t a = actual.At(x, y), e = expected.At(x, y);
            bool differs = false;
            for (int shift = 0; shift <= 16; shift += 8)
                differs |= std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((e >> shift) & 0xFF)) >
                           kChannelThreshold;
            d.differing += differs;
            d.image.Row(y)[x] = differs ? 0xFF00FFu : (e >> 2) & 0x3F3F3Fu;
        }
    }
    return d;
}

class GoldenScreensTest : public testing_support::GameTest {
protected:
    ui::Surface Frame() {
        ui::Surface frame(ui::kScreenWidth, ui::kScreenHeight);
        game.window.Compose(frame);
        return frame;
    }
    ui::Surface Reference(const std::string& name) {
        ui::Surface expected;
        EXPECT_TRUE(LoadPng(kGoldenDir + name + ".png", &expected)) << "no reference " << name;
        return expected;
    }
    // Pixels that differ from the reference beyond the channel threshold.
    int Differing(const std::string& name) {
        const ui::Surface expected = Reference(name);
        if (expected.Width() != ui::kScreenWidth || expected.Height() != ui::kScreenHeight) return -1;
        return Compare(Frame(), expected).differing;
    }
    void Check(const std::string& name) {
        const ui::Surface frame = Frame();
        const std::string golden = kGoldenDir + name + ".png";
        if (const char* update = std::getenv("TRAKMOR_UPDATE_GOLDEN"); update && std::string(update) == "1") {
            ASSERT_TRUE(SavePng(frame, golden));
            return;
        }
        const ui::Surface expected = Reference(name);
        ASSERT_EQ(expected.Width(), frame.Width());
        ASSERT_EQ(expected.Height(), frame.Height());
        const FrameDiff diff = Compare(frame, expected);
        if (diff.differing > kPixelBudget) {
            const std::string stem = std::string(TRAKMOR_BINARY_DIR) + "/" + name;
            SavePng(frame, stem + ".actual.png");
            SavePng(diff.image, stem + ".diff.png");
            ADD_FAILURE() << name << ": " << diff.differing << " pixels differ from " << golden << " (at most "
                          << kPixelBudget << " may); see " << stem << ".actual.png and " << stem << ".diff.png";
        }
    }
    // A ride on a fixed road, some seconds in.
    void Ride(uint64_t seed, double ms) {
        game.random.FixSeed(seed);
        f->NewGame();
        Start();
        ScriptedRun(ms);
    }
    void ScriptedRun(double ms) {
        bool first = true;
        game.nextStep = [&]() -> std::optional<double> {
            if (!first) return std::nullopt;
            first = false;
            return ms * 1000.0;
        };
        game.window.OnKeyDown(81);  // gear up once the loop runs
        game.Play();
        game.nextStep = nullptr;
    }
};

TEST_F(GoldenScreensTest, Intro) { Check("intro"); }

TEST_F(GoldenScreensTest, SkillListOpen) {
    ASSERT_TRUE(game.window.ClickElement(f->Skill));
    Check("skill_list");
}

TEST_F(GoldenScreensTest, RideAndMenu) {
    Ride(11, 2500);
    Check("ride");
    Key(27);
    Check("menu");
}

TEST_F(GoldenScreensTest, GameOver) {
    Ride(11, 1000);
    f->roadScore = 5;
    f->bagCount = 3;
    f->bagPoints = 9;
    f->rabbitCount = 1;
    f->rabbitPoints = 4;
    f->damage = 100;
    f->ShowStatus();
    Check("game_over");
}


// The comparison itself, on the intro's reference.
TEST_F(GoldenScreensTest, ShadingWithinTheThresholdAndABudgetOfStrongerChangesStillMatch) {
    const ui::Surface expected = Reference("intro");
    ui::Surface shaded = expected;
    for (uint32_t& p : shaded.Pixels()) {
        uint32_t out = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const int c = static_cast<int>((p >> shift) & 0xFF);
            out |= static_cast<uint32_t>(c + kChannelThreshold <= 255 ? c + kChannelThreshold : c - kChannelThreshold)
                   << shift;
        }
        p = out;
    }
    EXPECT_EQ(Compare(shaded, expected).differing, 0) << "every pixel off by the threshold";
    for (int i = 0; i < kPixelBudget; ++i) shaded.Pixels()[static_cast<size_t>(i) * 997] ^= 0x800000u;
    EXPECT_EQ(Compare(shaded, expected).differing, kPixelBudget);
    shaded.Pixels()[5] ^= 0x000080u;
    EXPECT_EQ(Compare(shaded, expected).differing, kPixelBudget + 1) << "one more is over the budget";
}

TEST_F(GoldenScreensTest, TheDiffPictureMarksWhatDiffers) {
    const ui::Surface expected = Reference("intro");
    ui::Surface changed = expected;
    changed.Row(10)[20] ^= 0xFFFFFFu;
    changed.Row(479)[639] ^= 0xFFFFFFu;
    const FrameDiff diff = Compare(changed, expected);
    EXPECT_EQ(diff.differing, 2);
    EXPECT_EQ(diff.image.At(20, 10), 0xFF00FFu);
    EXPECT_EQ(diff.image.At(639, 479), 0xFF00FFu);
    EXPECT_EQ(diff.image.At(21, 10), (expected.At(21, 10) >> 2) & 0x3F3F3Fu) << "the rest dimmed";
}

TEST_F(GoldenScreensTest, AnElementMovedByOnePixelFails) {
    ui::Element& version = *game.window.Find("Label7");
    version.SetLeft(version.Left() + ui::kTwipsPerPixel);
    EXPECT_GT(Differing("intro"), kPixelBudget) << "the version label one pixel to the right";
    version.SetLeft(version.Left() - ui::kTwipsPerPixel);
    f->Command1.SetTop(f->Command1.Top() + ui::kTwipsPerPixel);
    EXPECT_GT(Differing("intro"), kPixelBudget) << "the Start button one pixel down";
    f->Command1.SetTop(f->Command1.Top() - ui::kTwipsPerPixel);
    EXPECT_EQ(Differing("intro"), 0);
}

TEST_F(GoldenScreensTest, AMissingElementFails) {
    game.window.Find("Label7")->Hide();
    EXPECT_GT(Differing("intro"), kPixelBudget) << "no version label";
}

TEST_F(GoldenScreensTest, TheCarOneSteeringStepAsideFails) {
    Ride(11, 2500);
    ASSERT_EQ(Differing("ride"), 0);
    f->autic.SetLeft(f->autic.Left() + 2);
    EXPECT_GT(Differing("ride"), kPixelBudget);
}

} // namespace
