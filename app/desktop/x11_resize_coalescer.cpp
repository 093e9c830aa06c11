#include "app/desktop/x11_resize_coalescer.h"

#include <SDL_syswm.h>
#include <X11/Xlibint.h>

#include <array>

namespace desktop {

namespace {

// Only the game's thread reads SDL's connection, and Xlib calls the hooks
// with the connection locked.
using WireToEvent = Bool (*)(Display*, XEvent*, xEvent*);
constexpr std::array kMerged{ConfigureNotify, EnterNotify, LeaveNotify, KeymapNotify};
enum Slot { kConfigure, kCrossing, kKeymap, kSlots };

struct Held {
    XEvent event{};
    bool held = false;
};

Display* g_display = nullptr;
Window g_window = 0;
std::array<WireToEvent, kMerged.size()> g_previous{};
std::array<Held, kSlots> g_held{};
unsigned long g_merged = 0;

int SlotOf(const XEvent& e) {
    switch (e.type) {
    case ConfigureNotify: return e.xconfigure.window == g_window ? kConfigure : -1;
    case EnterNotify:
    case LeaveNotify: return e.xcrossing.window == g_window ? kCrossing : -1;
    case KeymapNotify: return kKeymap;  // it names no window; it follows a crossing or a focus change
    default: return -1;
    }
}

Bool OnWire(Display* display, XEvent* event, xEvent* wire) {
    const auto type = wire->u.u.type & 0x7f;
    for (size_t i = 0; i < kMerged.size(); ++i) {
        if (kMerged[i] != type) continue;
        if (!g_previous[i](display, event, wire)) return False;
        const int slot = display == g_display ? SlotOf(*event) : -1;
        if (slot < 0) return True;
        Held& h = g_held[static_cast<size_t>(slot)];
        g_merged += h.held;
        h.event = *event;
        h.held = true;
        return False;  // not queued: Release hands it over
    }
    return True;
}

} // namespace

void X11ResizeCoalescer::Start(SDL_Window* window) {
    if (active_ || !window || g_display) return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    Display* display = info.info.x11.display;
    XLockDisplay(display);
    g_display = display;
    g_window = info.info.x11.window;
    g_held = {};
    g_merged = 0;
    for (size_t i = 0; i < kMerged.size(); ++i) g_previous[i] = XESetWireToEvent(display, kMerged[i], OnWire);
    XUnlockDisplay(display);
    active_ = true;
}

void X11ResizeCoalescer::Release() {
    if (!active_) return;
    XLockDisplay(g_display);
    std::array<Held, kSlots> held = g_held;
    g_held = {};
    XUnlockDisplay(g_display);
    // Each goes in front of the queue: the last put back is read first, and
    // a keymap note belongs after the crossing it follows.
    for (int slot : {kKeymap, kCrossing, kConfigure})
        if (held[static_cast<size_t>(slot)].held) XPutBackEvent(g_display, &held[static_cast<size_t>(slot)].event);
}

unsigned long X11ResizeCoalescer::Merged() const { return active_ ? g_merged : 0; }

void X11ResizeCoalescer::Stop() {
    if (!active_) return;
    XLockDisplay(g_display);
    for (size_t i = 0; i < kMerged.size(); ++i) XESetWireToEvent(g_display, kMerged[i], g_previous[i]);
    XUnlockDisplay(g_display);
    g_display = nullptr;
    g_window = 0;
    g_previous = {};
    active_ = false;
}

} // namespace desktop
