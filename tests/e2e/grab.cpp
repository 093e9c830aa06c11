// trakmor-grab: takes COUNT pictures of a strip of the X screen, INTERVAL_MS
// apart, as fast as the server gives them, and prints a hash of each with the
// milliseconds since the first. For end-to-end tests that must look at the
// screen many times a second (a full screenshot with ImageMagick takes far
// longer than the moments they look at). With STEP, only every STEP-th row of
// the strip is read: read whole, a tall strip takes the X server a tenth of a
// second a look, longer than what the test wants to watch lasts.
//   trakmor-grab COUNT INTERVAL_MS X Y W H [STEP]
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
    if (argc != 7 && argc != 8) {
        std::fprintf(stderr, "usage: trakmor-grab COUNT INTERVAL_MS X Y W H [STEP]\n");
        return 2;
    }
    const int count = std::atoi(argv[1]), interval = std::atoi(argv[2]);
    const int x = std::atoi(argv[3]), y = std::atoi(argv[4]);
    const unsigned w = static_cast<unsigned>(std::atoi(argv[5])), h = static_cast<unsigned>(std::atoi(argv[6]));
    const int step = argc == 8 ? std::atoi(argv[7]) : 1;
    if (count < 1 || w < 1 || h < 1 || step < 1) {
        std::fprintf(stderr, "trakmor-grab: COUNT, W, H and STEP must be positive\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "trakmor-grab: no display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(interval));
        uint64_t hash = 1469598103934665603ull;  // FNV-1a over the rows' pixels
        for (unsigned row = 0; row < h; row += static_cast<unsigned>(step)) {
            XImage* image = XGetImage(display, root, x, y + static_cast<int>(row), w, 1, AllPlanes, ZPixmap);
            if (!image) {
                std::fprintf(stderr, "trakmor-grab: cannot read the screen\n");
                return 1;
            }
            const auto* p = reinterpret_cast<const unsigned char*>(image->data);
            for (size_t k = 0; k < static_cast<size_t>(w) * static_cast<size_t>(image->bits_per_pixel / 8); ++k)
                hash = (hash ^ p[k]) * 1099511628211ull;
            XDestroyImage(image);
        }
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        std::printf("%016llx %.0f\n", static_cast<unsigned long long>(hash), ms);
    }
    XCloseDisplay(display);
    return 0;
}
