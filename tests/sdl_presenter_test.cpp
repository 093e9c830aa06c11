#include "app/desktop/sdl_presenter.h"

#include <SDL.h>
#ifdef __linux__
#include <dirent.h>
#endif
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/sdl/sdl_ptrs.h"

namespace {

#ifdef __linux__
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
#endif

// A window in memory: the size the test gives it, and what each present did.
class FakeTarget final : public desktop::FrameTarget {
public:
    struct Shown {
        SDL_Rect at;
        bool cleared;
        std::thread::id thread;
    };
    FakeTarget(int w, int h, uint32_t format = SDL_PIXELFORMAT_RGB888) : format_(format) { Resize(w, h); }
    void Resize(int w, int h) {
        std::lock_guard<std::mutex> lock(mutex_);
        w_ = w;
        h_ = h;
    }
    void SetGone(bool gone) {
        std::lock_guard<std::mutex> lock(mutex_);
        gone_ = gone;
    }
    std::vector<Shown> Log() {
        std::lock_guard<std::mutex> lock(mutex_);
        return log_;
    }
    SDL_Surface* Picture() const { return canvas_.get(); }

    bool Size(int* w, int* h) override {
        std::lock_guard<std::mutex> lock(mutex_);
        *w = w_;
        *h = h_;
        return !gone_;
    }
    SDL_Surface* Canvas(const SDL_Rect& at) override {
        if (!canvas_ || canvas_->w != at.w || canvas_->h != at.h)
            canvas_.reset(SDL_CreateRGBSurfaceWithFormat(0, at.w, at.h, SDL_BITSPERPIXEL(format_), format_));
        return canvas_.get();
    }
    bool Show(const SDL_Rect& at, int, int, bool clearAround) override {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.push_back({at, clearAround, std::this_thread::get_id()});
        return true;
    }

private:
    uint32_t format_;
    std::mutex mutex_;
    int w_ = 0, h_ = 0;
    bool gone_ = false;
    std::vector<Shown> log_;
    platform::SurfacePtr canvas_;
};

// Hands one frame over and waits until it has been shown.
void ShowOne(desktop::SdlPresenter& presenter, uint32_t colour = 0x654321, bool repaint = false) {
    const uint64_t before = presenter.Presents();
    presenter.Back().Fill(colour);
    presenter.HandOver(repaint);
    presenter.Wake();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (presenter.Presents() == before && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(presenter.Presents(), before + 1);
}

uint32_t PixelAt(SDL_Surface* s, int x, int y) {
    const auto* row = static_cast<const uint8_t*>(s->pixels) + static_cast<ptrdiff_t>(y) * s->pitch;
    if (s->format->BytesPerPixel == 2) return reinterpret_cast<const uint16_t*>(row)[x];
    return reinterpret_cast<const uint32_t*>(row)[x] & 0xffffff;
}

TEST(SdlPresenterTest, ItsThreadShowsFramesAndNeverPreemptsTheGame) {
#ifdef __linux__
    const std::vector<int> before = ThreadPolicies();
    int batchBefore = 0;
    for (int p : before) batchBefore += p == SCHED_BATCH;
#endif
    auto owned = std::make_unique<FakeTarget>(640, 480);
    FakeTarget& target = *owned;
    desktop::SdlPresenter presenter(std::move(owned), true);
    ASSERT_TRUE(presenter.OwnThread());
    ShowOne(presenter, 0x123456);
    EXPECT_EQ(PixelAt(target.Picture(), 0, 0), 0x123456u);
    ASSERT_EQ(target.Log().size(), 1u);
    EXPECT_NE(target.Log()[0].thread, std::this_thread::get_id());
#ifdef __linux__
    int batch = 0;
    for (int p : ThreadPolicies()) batch += p == SCHED_BATCH;
    EXPECT_EQ(batch, batchBefore + 1);  // the presenter's, and only that one
    EXPECT_NE(sched_getscheduler(0), SCHED_BATCH);
#endif
}

TEST(SdlPresenterTest, WithoutAThreadShowsEachFrameAsItIsHandedOver) {
    auto owned = std::make_unique<FakeTarget>(1280, 960);
    FakeTarget& target = *owned;
    desktop::SdlPresenter presenter(std::move(owned), false);
    ASSERT_FALSE(presenter.OwnThread());
    presenter.Back().Fill(0x00ff00);
    presenter.HandOver(false);
    EXPECT_EQ(presenter.Presents(), 1u) << "before any wake";
    ASSERT_EQ(target.Log().size(), 1u);
    EXPECT_EQ(target.Log()[0].thread, std::this_thread::get_id());
    EXPECT_EQ(PixelAt(target.Picture(), 1279, 959), 0x00ff00u);
    EXPECT_EQ(presenter.GaveWay(), 0u) << "nothing to give way to on the game's own thread";
}

TEST(SdlPresenterTest, GivesWayAfterEveryBandUntilThePresentHasTakenItsShare) {
    {
        // Four times the picture: 60 bands of 8 rows.
        auto owned = std::make_unique<FakeTarget>(2560, 1920);
        FakeTarget& target = *owned;
        desktop::SdlPresenter presenter(std::move(owned), true, 60e6);
        ShowOne(presenter);
        EXPECT_EQ(presenter.GaveWay(), 59u) << "after every band but the last";
        ShowOne(presenter);
        EXPECT_EQ(presenter.GaveWay(), 118u) << "and again in the next present";
        EXPECT_EQ(PixelAt(target.Picture(), 0, 0), 0x654321u);
        EXPECT_EQ(PixelAt(target.Picture(), 2559, 1919), 0x654321u) << "the last band too";
    }
    desktop::SdlPresenter spent(std::make_unique<FakeTarget>(2560, 1920), true, 0);
    ShowOne(spent);
    EXPECT_EQ(spent.GaveWay(), 0u) << "a present that has taken its share keeps the processor";
}

TEST(SdlPresenterTest, PlacesThePictureForTheWindowsSizeAtEachPresent) {
    auto owned = std::make_unique<FakeTarget>(640, 480);
    FakeTarget& target = *owned;
    desktop::SdlPresenter presenter(std::move(owned), true);
    struct Step {
        int w, h;
        bool repaint;
        SDL_Rect at;
        bool cleared;
    };
    const Step steps[] = {
        {640, 480, false, {0, 0, 640, 480}, true},        // the first present clears the window
        {640, 480, false, {0, 0, 640, 480}, false},       // nothing changed
        {1400, 1000, false, {60, 20, 1280, 960}, true},   // larger: scale 2, centred
        {1400, 1000, true, {60, 20, 1280, 960}, true},    // an expose asks for it
        {1400, 1000, false, {60, 20, 1280, 960}, false},
        {600, 400, false, {-20, -40, 640, 480}, true},    // smaller than the picture: cut off
    };
    for (const Step& s : steps) {
        target.Resize(s.w, s.h);
        ShowOne(presenter, 0x654321, s.repaint);
        const FakeTarget::Shown shown = target.Log().back();
        EXPECT_EQ(shown.at.x, s.at.x) << s.w << "x" << s.h;
        EXPECT_EQ(shown.at.y, s.at.y) << s.w << "x" << s.h;
        EXPECT_EQ(shown.at.w, s.at.w) << s.w << "x" << s.h;
        EXPECT_EQ(shown.at.h, s.at.h) << s.w << "x" << s.h;
        EXPECT_EQ(shown.cleared, s.cleared) << s.w << "x" << s.h << (s.repaint ? " repaint" : "");
    }
}

TEST(SdlPresenterTest, AWindowThatCannotBeReachedSkipsFramesUntilItCanAgain) {
    auto owned = std::make_unique<FakeTarget>(640, 480);
    FakeTarget& target = *owned;
    desktop::SdlPresenter presenter(std::move(owned), false);
    target.SetGone(true);
    presenter.Back().Fill(0x111111);
    presenter.HandOver(false);
    EXPECT_EQ(presenter.Presents(), 0u);
    EXPECT_TRUE(target.Log().empty());
    target.SetGone(false);
    presenter.Back().Fill(0x222222);
    presenter.HandOver(false);
    EXPECT_EQ(presenter.Presents(), 1u);
    ASSERT_EQ(target.Log().size(), 1u);
    EXPECT_TRUE(target.Log()[0].cleared) << "the window was never painted";
}

TEST(SdlPresenterTest, OtherPixelFormatsAreConverted) {
    auto owned = std::make_unique<FakeTarget>(1280, 960, SDL_PIXELFORMAT_RGB565);
    FakeTarget& target = *owned;
    desktop::SdlPresenter presenter(std::move(owned), true);
    ShowOne(presenter, 0xff0000);
    EXPECT_EQ(PixelAt(target.Picture(), 0, 0), 0xf800u);
    EXPECT_EQ(PixelAt(target.Picture(), 1279, 959), 0xf800u) << "scaled to the whole room";
}

} // namespace
