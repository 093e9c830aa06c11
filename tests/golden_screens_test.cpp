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

class GoldenScreensTest : public testing_support::GameTest {
protected:
    void Check(const std::string& name) {
        ui::Surface frame(ui::kScreenWidth, ui::kScreenHeight);
        game.window.Compose(frame);
        const std::string golden = kGoldenDir + name + ".png";
        if (const char* update = std::getenv("TRAKMOR_UPDATE_GOLDEN"); update && std::string(update) == "1") {
            ASSERT_TRUE(SavePng(frame, golden));
            return;
        }
        ui::Surface expected;
        ASSERT_TRUE(LoadPng(golden, &expected)) << "no reference " << golden;
        ASSERT_EQ(expected.Width(), frame.Width());
        ASSERT_EQ(expected.Height(), frame.Height());
        int differing = 0;
        for (size_t i = 0; i < frame.Pixels().size(); ++i) differing += frame.Pixels()[i] != expected.Pixels()[i];
        if (differing != 0) {
            const std::string actual = std::string(TRAKMOR_BINARY_DIR) + "/" + name + ".actual.png";
            SavePng(frame, actual);
            ADD_FAILURE() << name << ": " << differing << " pixels differ from " << golden << "; see " << actual;
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

} // namespace
