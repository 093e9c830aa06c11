// trakmor-resize: resizes an X window to random sizes for SECONDS, RATE times
// a second, as a player dragging the window's corner would, only more so.
// RATE 0: as fast as the server takes them; -1: each as soon as the window
// has taken the last (under a window manager, as fast as it resizes).
// Prints how many resizes were sent.
//   trakmor-resize WINDOW SECONDS RATE [SEED [MAX_W MAX_H]]
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: trakmor-resize WINDOW SECONDS RATE [SEED [MAX_W MAX_H]]\n");
        return 2;
    }
    const auto window = static_cast<xcb_window_t>(std::strtoul(argv[1], nullptr, 0));
    const double seconds = std::atof(argv[2]), rate = std::atof(argv[3]);
    std::mt19937 random(argc > 4 ? static_cast<unsigned>(std::atoi(argv[4])) : 1u);
    const int maxW = argc > 6 ? std::atoi(argv[5]) : 1920, maxH = argc > 6 ? std::atoi(argv[6]) : 1440;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "trakmor-resize: no display\n");
        return 1;
    }
    if (rate < 0) {
        const uint32_t mask[] = {XCB_EVENT_MASK_STRUCTURE_NOTIFY};
        xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, mask);
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    long sent = 0;
    while (Clock::now() < end) {
        const uint32_t size[] = {640 + static_cast<uint32_t>(random() % static_cast<unsigned>(maxW - 639)),
                                 480 + static_cast<uint32_t>(random() % static_cast<unsigned>(maxH - 479))};
        xcb_configure_window(c, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
        ++sent;
        if (rate < 0) {
            xcb_flush(c);
            // Until the window has its new size, a second at most.
            const auto giveUp = Clock::now() + std::chrono::seconds(1);
            bool taken = false;
            while (!taken && Clock::now() < giveUp) {
                xcb_generic_event_t* e = xcb_poll_for_event(c);
                if (!e) {
                    if (xcb_connection_has_error(c)) return 1;
                    std::this_thread::sleep_for(std::chrono::microseconds(100));
                    continue;
                }
                if ((e->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY) {
                    const auto* n = reinterpret_cast<xcb_configure_notify_event_t*>(e);
                    taken = n->window == window && n->width == size[0] && n->height == size[1];
                }
                std::free(e);
            }
        } else if (rate > 0) {
            xcb_flush(c);
            std::this_thread::sleep_until(start + std::chrono::duration<double>(sent / rate));
        } else if (sent % 64 == 0) {
            // Keeps the requests from running ahead of the server without bound.
            std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        }
    }
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    const double took = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%ld resizes in %.1f s\n", sent, took);
    xcb_disconnect(c);
    return 0;
}
