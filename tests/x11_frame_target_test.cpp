// The presenter's way to an X11 window, beside SDL's own use of it. Needs an
// X display: run by the end-to-end test frame_target.sh under its own Xvfb
// (24 and 16 bits deep), skipped elsewhere.
// gtest first: Xlib defines None and Bool as macros.
#include <gtest/gtest.h>
#include <SDL.h>
#include <SDL_syswm.h>
#include <xcb/xcb.h>

#include <atomic>
#include <cstdlib>
#include <random>
#include <thread>

#include "app/desktop/x11_frame_target.h"
#include "scoped_env.h"

namespace {

class X11FrameTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        // Right after the last case's window and connections went, the server
        // now and then turns a new connection away: ask again.
        int started = -1;
        for (int tries = 0; tries < 20 && (started = SDL_InitSubSystem(SDL_INIT_VIDEO)) != 0; ++tries) SDL_Delay(50);
        ASSERT_EQ(started, 0) << SDL_GetError();
        window_ = SDL_CreateWindow("Trakmor test", 0, 0, 800, 600, SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
        ASSERT_NE(window_, nullptr) << SDL_GetError();
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        ASSERT_TRUE(SDL_GetWindowWMInfo(window_, &info));
        xwindow_ = static_cast<uint32_t>(info.info.x11.window);
        Settle();
        reader_ = xcb_connect(nullptr, nullptr);
        ASSERT_FALSE(xcb_connection_has_error(reader_));
    }
    void TearDown() override {
        if (reader_) xcb_disconnect(reader_);
        if (window_) SDL_DestroyWindow(window_);
        if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    void Settle() {
        for (int i = 0; i < 10; ++i) {
            SDL_PumpEvents();
            SDL_Delay(10);
        }
    }
    // The window's pixel at x, y as the server holds it.
    uint32_t Pixel(int x, int y) {
        xcb_get_image_reply_t* image = xcb_get_image_reply(
            reader_, xcb_get_image(reader_, XCB_IMAGE_FORMAT_Z_PIXMAP, xwindow_, static_cast<int16_t>(x),
                                   static_cast<int16_t>(y), 1, 1, ~0u),
            nullptr);
        if (!image) return 0xdeadbeef;
        const uint8_t* data = xcb_get_image_data(image);
        uint32_t value = image->depth == 16 ? data[0] | data[1] << 8 : data[0] | data[1] << 8 | data[2] << 16;
        std::free(image);
        return value;
    }

    ScopedEnv video_{"SDL_VIDEODRIVER", "x11"};
    SDL_Window* window_ = nullptr;
    uint32_t xwindow_ = 0;
    xcb_connection_t* reader_ = nullptr;
};

TEST_F(X11FrameTargetTest, DrawsThePictureWhereAskedAndClearsAroundIt) {
    std::unique_ptr<desktop::X11FrameTarget> target = desktop::X11FrameTarget::Open(window_);
    ASSERT_TRUE(target);
    int w = 0, h = 0;
    ASSERT_TRUE(target->Size(&w, &h));
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    const SDL_Rect at{80, 60, 640, 480};
    SDL_Surface* canvas = target->Canvas(at);
    ASSERT_NE(canvas, nullptr);
    EXPECT_TRUE(target->SharedMemory()) << "a local server shares memory";
    const uint32_t colour = SDL_MapRGB(canvas->format, 0x20, 0x40, 0x60);
    SDL_FillRect(canvas, nullptr, colour);
    ASSERT_TRUE(target->Show(at, w, h, true));
    EXPECT_EQ(Pixel(80, 60), colour);
    EXPECT_EQ(Pixel(719, 539), colour);
    EXPECT_EQ(Pixel(79, 60), 0u) << "left of the picture";
    EXPECT_EQ(Pixel(400, 59), 0u) << "above it";
    EXPECT_EQ(Pixel(720, 300), 0u) << "right of it";
    EXPECT_EQ(Pixel(799, 599), 0u) << "below it";

    // A picture larger than the window is cut off, not refused.
    const SDL_Rect big{-40, -30, 1280, 960};
    canvas = target->Canvas(big);
    ASSERT_NE(canvas, nullptr);
    const uint32_t other = SDL_MapRGB(canvas->format, 0xf0, 0x80, 0x00);
    SDL_FillRect(canvas, nullptr, other);
    ASSERT_TRUE(target->Show(big, w, h, false));
    EXPECT_EQ(Pixel(0, 0), other);
    EXPECT_EQ(Pixel(799, 599), other);
}

TEST_F(X11FrameTargetTest, DrawsOnWhileTheEventThreadResizesTheWindow) {
    std::unique_ptr<desktop::X11FrameTarget> target = desktop::X11FrameTarget::Open(window_);
    ASSERT_TRUE(target);
    std::atomic<bool> stop{false};
    std::atomic<int> shown{0}, failed{0};
    std::thread presenter([&] {
        while (!stop) {
            int w = 0, h = 0;
            if (!target->Size(&w, &h)) {
                failed++;
                continue;
            }
            const int scale = std::max(1, std::min(w / 640, h / 480));
            const SDL_Rect at{(w - 640 * scale) / 2, (h - 480 * scale) / 2, 640 * scale, 480 * scale};
            SDL_Surface* canvas = target->Canvas(at);
            if (canvas && SDL_FillRect(canvas, nullptr, SDL_MapRGB(canvas->format, 0, 0x80, 0)) == 0 &&
                target->Show(at, w, h, true))
                shown++;
            else
                failed++;
        }
    });
    std::mt19937 rnd(7);
    const Uint64 end = SDL_GetTicks64() + 3000;
    while (SDL_GetTicks64() < end) {
        SDL_SetWindowSize(window_, 640 + static_cast<int>(rnd() % 1300), 480 + static_cast<int>(rnd() % 1000));
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
        SDL_Delay(2);
    }
    stop = true;
    presenter.join();
    EXPECT_GT(shown, 20);
    EXPECT_EQ(failed, 0);
}

int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

TEST_F(X11FrameTargetTest, AWindowDestroyedUnderItIsGoneWithoutEndingTheProgram) {
    std::unique_ptr<desktop::X11FrameTarget> target = desktop::X11FrameTarget::Open(window_);
    ASSERT_TRUE(target);
    // SDL's own connection meets the vanished window too; that is the game's
    // window watch's business, not this test's.
    XErrorHandler previous = XSetErrorHandler(IgnoreXErrors);
    xcb_destroy_window(reader_, xwindow_);
    std::free(xcb_get_input_focus_reply(reader_, xcb_get_input_focus(reader_), nullptr));
    int w = 0, h = 0;
    EXPECT_FALSE(target->Size(&w, &h));
    EXPECT_EQ(target->Canvas({0, 0, 640, 480}), nullptr);
    EXPECT_FALSE(target->Show({0, 0, 640, 480}, 640, 480, true));
    target.reset();
    SDL_DestroyWindow(window_);
    window_ = nullptr;
    Settle();
    XSetErrorHandler(previous);
}

} // namespace
