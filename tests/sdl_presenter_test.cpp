#include "app/desktop/sdl_presenter.h"

#include <SDL.h>
#include <dirent.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/sdl/sdl_ptrs.h"

namespace {

// Scheduling policies of this process's threads, from the 41st field of
// /proc/self/task/*/stat.
std::vector<int> ThreadPolicies() {
    std::vector<int> policies;
    DIR* dir = opendir("/proc/self/task");
    if (!dir) return policies;
    while (const dirent* d = readdir(dir)) {
        if (d->d_name[0] == '.') continue;
        std::ifstream in(std::string("/proc/self/task/") + d->d_name + "/stat");
        std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const size_t close = stat.rfind(')');  // the name may hold blanks
        if (close == std::string::npos) continue;
        std::istringstream fields(stat.substr(close + 2));
        std::string field;
        // Field 3 (the state) comes first here; the policy is field 41.
        for (int i = 3; i <= 41 && fields >> field; ++i) {
            if (i == 41) policies.push_back(std::atoi(field.c_str()));
        }
    }
    closedir(dir);
    return policies;
}

TEST(SdlPresenterTest, ItsThreadShowsFramesAndNeverPreemptsTheGame) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    {
        platform::WindowPtr window(SDL_CreateWindow("trakmor test", 0, 0, 640, 480, 0));
        ASSERT_TRUE(window);
        const std::vector<int> before = ThreadPolicies();
        int batchBefore = 0;
        for (int p : before) batchBefore += p == SCHED_BATCH;
        platform::SdlPresenter presenter(window.get());
        presenter.Back().Fill(0x123456);
        presenter.HandOver(true);
        presenter.Wake();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (presenter.Presents() == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(presenter.Presents(), 1u);
        SDL_Surface* shown = SDL_GetWindowSurface(window.get());
        ASSERT_TRUE(shown);
        EXPECT_EQ(static_cast<const uint32_t*>(shown->pixels)[0] & 0xffffff, 0x123456u);
        int batch = 0;
        for (int p : ThreadPolicies()) batch += p == SCHED_BATCH;
        EXPECT_EQ(batch, batchBefore + 1);  // the presenter's, and only that one
        EXPECT_NE(sched_getscheduler(0), SCHED_BATCH);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// Presents one frame and waits until it has reached the window.
void ShowOne(platform::SdlPresenter& presenter) {
    const uint64_t before = presenter.Presents();
    presenter.Back().Fill(0x654321);
    presenter.HandOver(false);
    presenter.Wake();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (presenter.Presents() == before && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(presenter.Presents(), before + 1);
}

TEST(SdlPresenterTest, GivesWayAfterEveryBandUntilThePresentHasTakenItsShare) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    {
        // Four times the picture: 60 bands of 8 rows.
        platform::WindowPtr window(SDL_CreateWindow("trakmor test", 0, 0, 2560, 1920, 0));
        ASSERT_TRUE(window);
        {
            platform::SdlPresenter presenter(window.get(), 60e6);
            ShowOne(presenter);
            EXPECT_EQ(presenter.GaveWay(), 59u) << "after every band but the last";
            ShowOne(presenter);
            EXPECT_EQ(presenter.GaveWay(), 118u) << "and again in the next present";
            SDL_Surface* shown = SDL_GetWindowSurface(window.get());
            ASSERT_TRUE(shown);
            const auto* px = static_cast<const uint32_t*>(shown->pixels);
            const size_t pitch = static_cast<size_t>(shown->pitch) / 4;
            EXPECT_EQ(px[0] & 0xffffff, 0x654321u);
            EXPECT_EQ(px[1919 * pitch + 2559] & 0xffffff, 0x654321u) << "the last band too";
        }
        platform::SdlPresenter spent(window.get(), 0);
        ShowOne(spent);
        EXPECT_EQ(spent.GaveWay(), 0u) << "a present that has taken its share keeps the processor";
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

} // namespace
