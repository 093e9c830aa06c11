#include "platform/sdl/sdl_display_driver.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/event_pump.h"
#include "platform/screen_module.h"
#include "platform/sdl/sdl_ptrs.h"
#include "posix_env.h"

namespace platform {
namespace {

class NoEvents final : public EventPump {
public:
    void Yield(double) override {}
};

DevMode Mode(uint32_t width, uint32_t height, uint32_t bits, uint32_t rate) {
    DevMode m;
    m.dmSize = 124;
    m.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    m.dmPelsWidth = width;
    m.dmPelsHeight = height;
    m.dmBitsPerPel = bits;
    m.dmDisplayFrequency = rate;
    return m;
}

// Runs on SDL's dummy video driver, which needs no display server.
class SdlDisplayDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* before = std::getenv("SDL_VIDEODRIVER")) previousDriver_ = before;
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        if (SDL_Init(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "no SDL video: " << SDL_GetError();
        window_.reset(SDL_CreateWindow("trakmor test", 0, 0, 640, 480, SDL_WINDOW_HIDDEN));
        ASSERT_NE(window_, nullptr) << SDL_GetError();
        ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop_), 0) << SDL_GetError();
        driver.SetWindow(window_.get());
    }
    void TearDown() override {
        window_.reset();
        SDL_Quit();
        if (previousDriver_) {
            setenv("SDL_VIDEODRIVER", previousDriver_->c_str(), 1);
        } else {
            unsetenv("SDL_VIDEODRIVER");
        }
    }

    DevMode Desktop() const {
        return Mode(static_cast<uint32_t>(desktop_.w), static_cast<uint32_t>(desktop_.h),
                    SDL_BITSPERPIXEL(desktop_.format), static_cast<uint32_t>(desktop_.refresh_rate));
    }
    bool Fullscreen() const { return (SDL_GetWindowFlags(window_.get()) & SDL_WINDOW_FULLSCREEN) != 0; }
    std::pair<int, int> WindowSize() const {
        int w = 0, h = 0;
        SDL_GetWindowSize(window_.get(), &w, &h);
        return {w, h};
    }

    SdlDisplayDriver driver;
    SDL_DisplayMode desktop_{};
    WindowPtr window_;

private:
    std::optional<std::string> previousDriver_;
};

TEST_F(SdlDisplayDriverTest, EnumeratesTheDisplaysModesThenStops) {
    std::vector<DevMode> modes;
    DevMode m;
    while (driver.EnumDisplaySettingsA(static_cast<uint32_t>(modes.size()), &m)) {
        modes.push_back(m);
        ASSERT_LT(modes.size(), 10000u);
    }
    ASSERT_GE(modes.size(), 1u);
    EXPECT_EQ(static_cast<int>(modes.size()), SDL_GetNumDisplayModes(0));
    for (size_t n = 0; n < modes.size(); ++n) {
        SDL_DisplayMode sdl;
        ASSERT_EQ(SDL_GetDisplayMode(0, static_cast<int>(n), &sdl), 0);
        EXPECT_EQ(modes[n].dmPelsWidth, static_cast<uint32_t>(sdl.w));
        EXPECT_EQ(modes[n].dmPelsHeight, static_cast<uint32_t>(sdl.h));
        EXPECT_EQ(modes[n].dmBitsPerPel, SDL_BITSPERPIXEL(sdl.format));
        EXPECT_EQ(modes[n].dmDisplayFrequency, static_cast<uint32_t>(sdl.refresh_rate));
    }
    EXPECT_FALSE(driver.EnumDisplaySettingsA(0xFFFFFFFFu, &m));
}

TEST_F(SdlDisplayDriverTest, DeviceCapsAreTheDesktopMode) {
    const uintptr_t dc = driver.GetDC();
    ASSERT_NE(dc, 0u);
    EXPECT_EQ(driver.GetDeviceCaps(dc, HORZRES), desktop_.w);
    EXPECT_EQ(driver.GetDeviceCaps(dc, VERTRES), desktop_.h);
    EXPECT_EQ(driver.GetDeviceCaps(dc, BITSPIXEL), static_cast<int>(SDL_BITSPERPIXEL(desktop_.format)));
    EXPECT_EQ(driver.GetDeviceCaps(dc, VREFRESH), desktop_.refresh_rate);
    driver.ReleaseDC(dc);
}

TEST_F(SdlDisplayDriverTest, ModeTheDisplayLacksIsRefused) {
    const DevMode missing = Mode(123, 45, 16, 77);
    EXPECT_NE(driver.ChangeDisplaySettingsA(&missing, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    DevMode otherDepth = Desktop();
    otherDepth.dmBitsPerPel = otherDepth.dmBitsPerPel == 16 ? 8 : 16;
    EXPECT_NE(driver.ChangeDisplaySettingsA(&otherDepth, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    DevMode otherRate = Desktop();
    otherRate.dmDisplayFrequency += 1;
    EXPECT_NE(driver.ChangeDisplaySettingsA(&otherRate, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    EXPECT_FALSE(Fullscreen());
}

TEST_F(SdlDisplayDriverTest, DesktopModeBringsBackThe640x480Window) {
    for (uint32_t rate : {static_cast<uint32_t>(desktop_.refresh_rate), 0u}) {
        SDL_SetWindowSize(window_.get(), 800, 600);
        ASSERT_EQ(SDL_SetWindowFullscreen(window_.get(), SDL_WINDOW_FULLSCREEN), 0) << SDL_GetError();
        DevMode desktop = Desktop();
        desktop.dmDisplayFrequency = rate;
        EXPECT_EQ(driver.ChangeDisplaySettingsA(&desktop, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL) << rate;
        EXPECT_FALSE(Fullscreen());
        EXPECT_EQ(WindowSize(), std::make_pair(640, 480));
    }
}

TEST_F(SdlDisplayDriverTest, StoringTheSettingTouchesNothing) {
    SDL_SetWindowSize(window_.get(), 800, 600);
    const DevMode missing = Mode(123, 45, 16, 77);
    EXPECT_EQ(driver.ChangeDisplaySettingsA(&missing, CDS_UPDATEREGISTRY), DISP_CHANGE_SUCCESSFUL);
    const DevMode desktop = Desktop();
    EXPECT_EQ(driver.ChangeDisplaySettingsA(&desktop, CDS_UPDATEREGISTRY), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(WindowSize(), std::make_pair(800, 600));
}

TEST_F(SdlDisplayDriverTest, LeavingTheGameModeLeavesAPlayersOwnFullscreenAlone) {
    // The way out of a crash: only a mode the game switched to is undone.
    ASSERT_EQ(SDL_SetWindowFullscreen(window_.get(), SDL_WINDOW_FULLSCREEN_DESKTOP), 0) << SDL_GetError();
    EXPECT_FALSE(driver.GameModeInForce());
    driver.LeaveGameMode();
    EXPECT_TRUE(Fullscreen()) << "F11's fullscreen is the player's";
    const DevMode desktop = Desktop();
    ASSERT_EQ(driver.ChangeDisplaySettingsA(&desktop, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    EXPECT_FALSE(driver.GameModeInForce());
}

TEST_F(SdlDisplayDriverTest, WithoutAWindowNothingChanges) {
    driver.SetWindow(nullptr);
    const DevMode desktop = Desktop();
    EXPECT_EQ(driver.ChangeDisplaySettingsA(&desktop, CDS_FULLSCREEN), -1);
}

TEST_F(SdlDisplayDriverTest, GameStartAndQuitEndInTheUsersMode) {
    NoEvents pump;
    ScreenModule screen(driver, pump);
    screen.RememberDisplayMode();
    const DevMode desktop = Desktop();
    EXPECT_EQ(screen.displayModes[1].dmPelsWidth, desktop.dmPelsWidth);
    EXPECT_EQ(screen.displayModes[1].dmPelsHeight, desktop.dmPelsHeight);
    EXPECT_EQ(screen.displayModes[1].dmBitsPerPel, desktop.dmBitsPerPel);
    EXPECT_EQ(screen.displayModes[1].dmDisplayFrequency, desktop.dmDisplayFrequency);

    bool gameModeOffered = false;
    DevMode m;
    for (uint32_t n = 0; driver.EnumDisplaySettingsA(n, &m); ++n)
        gameModeOffered |= m.dmPelsWidth == 640 && m.dmPelsHeight == 480 && m.dmBitsPerPel == 16;
    const bool switched = screen.SetDisplayMode(640, 480, 16, 120);
    if (!gameModeOffered) {
        EXPECT_FALSE(switched);
        EXPECT_EQ(screen.displayModes[0].dmDisplayFrequency, 0u);
    }

    EXPECT_TRUE(screen.ApplyDisplayMode(1));
    EXPECT_FALSE(Fullscreen());
    EXPECT_EQ(WindowSize(), std::make_pair(640, 480));
}

TEST(SdlDisplayDriverWithoutVideoTest, HasNoScreenAndNoModes) {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "SDL video is up in this process";
    SdlDisplayDriver driver;
    EXPECT_EQ(driver.GetDC(), 0u);
    DevMode m;
    EXPECT_FALSE(driver.EnumDisplaySettingsA(0, &m));
}

} // namespace
} // namespace platform
