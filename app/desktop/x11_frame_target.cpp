#include "app/desktop/x11_frame_target.h"

#include <SDL_syswm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

namespace desktop {

namespace {

// xcb hands out replies and errors to be freed by the caller.
template <typename T>
struct Freed {
    T* p;
    explicit Freed(T* reply) : p(reply) {}
    ~Freed() { std::free(p); }
    Freed(const Freed&) = delete;
    Freed& operator=(const Freed&) = delete;
    T* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};

bool NamesTheWindowGone(const xcb_generic_error_t* e) {
    return e && (e->error_code == XCB_WINDOW || e->error_code == XCB_DRAWABLE);
}

// The bytes of one PutImage request around its pixels.
constexpr size_t kPutImageHeader = 24;

} // namespace

std::unique_ptr<X11FrameTarget> X11FrameTarget::Open(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
    std::unique_ptr<X11FrameTarget> target(new X11FrameTarget);
    if (!target->Setup(XDisplayString(info.info.x11.display), info.info.x11.window)) return nullptr;
    return target;
}

bool X11FrameTarget::Setup(const char* displayName, unsigned long window) {
    conn_ = xcb_connect(displayName, nullptr);
    if (xcb_connection_has_error(conn_)) return false;
    window_ = static_cast<uint32_t>(window);
    Freed attrs(xcb_get_window_attributes_reply(conn_, xcb_get_window_attributes(conn_, window_), nullptr));
    Freed geometry(xcb_get_geometry_reply(conn_, xcb_get_geometry(conn_, window_), nullptr));
    if (!attrs || !geometry) return false;
    depth_ = geometry->depth;

    const xcb_setup_t* setup = xcb_get_setup(conn_);
    // SDL's pixel formats are little-endian words.
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return false;
    const xcb_visualtype_t* visual = nullptr;
    for (auto s = xcb_setup_roots_iterator(setup); s.rem; xcb_screen_next(&s)) {
        if (s.data->root != geometry->root) continue;
        black_ = s.data->black_pixel;
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d)) {
            if (d.data->depth != depth_) continue;
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
                if (v.data->visual_id == attrs->visual) visual = v.data;
        }
    }
    // SDL may pick a DirectColor visual; its default colour map maps as TrueColor does.
    if (!visual || (visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR && visual->_class != XCB_VISUAL_CLASS_DIRECT_COLOR))
        return false;
    int bits = 0;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
        if (f.data->depth != depth_) continue;
        bits = f.data->bits_per_pixel;
        scanlinePadBytes_ = std::max(1, f.data->scanline_pad / 8);
    }
    if (bits != 16 && bits != 24 && bits != 32) return false;
    bytesPerPixel_ = bits / 8;
    format_ = SDL_MasksToPixelFormatEnum(bits, visual->red_mask, visual->green_mask, visual->blue_mask, 0);
    if (format_ == SDL_PIXELFORMAT_UNKNOWN) return false;

    gc_ = xcb_generate_id(conn_);
    const uint32_t values[] = {black_, 0};
    xcb_create_gc(conn_, gc_, window_, XCB_GC_FOREGROUND | XCB_GC_GRAPHICS_EXPOSURES, values);
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(conn_, &xcb_shm_id);
    if (shm && shm->present) {
        Freed version(xcb_shm_query_version_reply(conn_, xcb_shm_query_version(conn_), nullptr));
        shmOffered_ = static_cast<bool>(version);
    }
    return Alive();
}

X11FrameTarget::~X11FrameTarget() {
    canvas_.reset();
    if (!conn_) return;
    if (!xcb_connection_has_error(conn_)) {
        DropSegment();
        if (gc_) xcb_free_gc(conn_, gc_);
        xcb_flush(conn_);
    } else if (shmAddress_) {
        shmdt(shmAddress_);
    }
    xcb_disconnect(conn_);
}

void X11FrameTarget::DropSegment() {
    if (segment_) {
        xcb_shm_detach(conn_, segment_);
        segment_ = 0;
    }
    if (shmAddress_) {
        shmdt(shmAddress_);
        shmAddress_ = nullptr;
    }
    capacity_ = 0;
}

bool X11FrameTarget::Alive() {
    // Once the server answers, it has carried out every earlier request: the
    // canvas is free again, and their errors have come in.
    std::free(xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));
    while (xcb_generic_event_t* event = xcb_poll_for_event(conn_)) {
        if (event->response_type == 0 && NamesTheWindowGone(reinterpret_cast<xcb_generic_error_t*>(event)))
            gone_ = true;
        std::free(event);
    }
    if (xcb_connection_has_error(conn_)) gone_ = true;
    return !gone_;
}

bool X11FrameTarget::Size(int* w, int* h) {
    if (gone_) return false;
    xcb_generic_error_t* error = nullptr;
    Freed geometry(xcb_get_geometry_reply(conn_, xcb_get_geometry(conn_, window_), &error));
    Freed owned(error);
    if (!geometry) {
        if (NamesTheWindowGone(error) || xcb_connection_has_error(conn_)) gone_ = true;
        return false;
    }
    *w = geometry->width;
    *h = geometry->height;
    return true;
}

SDL_Surface* X11FrameTarget::Canvas(const SDL_Rect& at) {
    const int w = at.w, h = at.h;
    if (gone_ || w <= 0 || h <= 0) return nullptr;
    if (canvas_ && w == canvasW_ && h == canvasH_) return canvas_.get();
    canvas_.reset();
    const int pitch = (w * bytesPerPixel_ + scanlinePadBytes_ - 1) / scanlinePadBytes_ * scanlinePadBytes_;
    const size_t bytes = static_cast<size_t>(pitch) * static_cast<size_t>(h);
    // Kept at the largest size met, so that a window dragged to and fro does
    // not make a new segment at every step.
    if (shmOffered_ && bytes > capacity_) {
        DropSegment();
        const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        void* address = id >= 0 ? shmat(id, nullptr, 0) : reinterpret_cast<void*>(-1);
        if (address != reinterpret_cast<void*>(-1)) {
            const uint32_t segment = xcb_generate_id(conn_);
            Freed error(xcb_request_check(conn_, xcb_shm_attach_checked(conn_, segment, static_cast<uint32_t>(id), 1)));
            if (!error) {
                segment_ = segment;
                shmAddress_ = address;
                capacity_ = bytes;
            } else {
                shmdt(address);
            }
        }
        // Gone as soon as both sides let go, even if this program is killed.
        if (id >= 0) shmctl(id, IPC_RMID, nullptr);
        // A server on another machine offers the extension but cannot see our memory.
        if (!segment_) shmOffered_ = false;
    }
    void* pixels = shmAddress_;
    if (!segment_) {
        if (plain_.size() < bytes) plain_.resize(bytes);
        pixels = plain_.data();
    }
    canvas_.reset(SDL_CreateRGBSurfaceWithFormatFrom(pixels, w, h, bytesPerPixel_ * 8, pitch, format_));
    if (!canvas_) return nullptr;
    canvasW_ = w;
    canvasH_ = h;
    pitch_ = pitch;
    return canvas_.get();
}

bool X11FrameTarget::Show(const SDL_Rect& at, int windowW, int windowH, bool clearAround) {
    if (gone_ || !canvas_) return false;
    if (clearAround) {
        const int right = at.x + canvasW_, bottom = at.y + canvasH_;
        xcb_rectangle_t around[4];
        uint32_t n = 0;
        auto add = [&](int x, int y, int w, int h) {
            if (w > 0 && h > 0)
                around[n++] = {static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<uint16_t>(w),
                               static_cast<uint16_t>(h)};
        };
        add(0, 0, windowW, at.y);
        add(0, bottom, windowW, windowH - bottom);
        add(0, at.y, at.x, canvasH_);
        add(right, at.y, windowW - right, canvasH_);
        if (n) xcb_poly_fill_rectangle(conn_, window_, gc_, n, around);
    }
    const auto x = static_cast<int16_t>(at.x), y = static_cast<int16_t>(at.y);
    if (segment_) {
        xcb_shm_put_image(conn_, window_, gc_, static_cast<uint16_t>(canvasW_), static_cast<uint16_t>(canvasH_), 0, 0,
                          static_cast<uint16_t>(canvasW_), static_cast<uint16_t>(canvasH_), x, y, depth_,
                          XCB_IMAGE_FORMAT_Z_PIXMAP, 0, segment_, 0);
    } else {
        const size_t limit = static_cast<size_t>(xcb_get_maximum_request_length(conn_)) * 4 - kPutImageHeader;
        const int rows = std::max(1, static_cast<int>(limit / static_cast<size_t>(pitch_)));
        for (int top = 0; top < canvasH_; top += rows) {
            const int n = std::min(rows, canvasH_ - top);
            xcb_put_image(conn_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, static_cast<uint16_t>(canvasW_),
                          static_cast<uint16_t>(n), x, static_cast<int16_t>(at.y + top), 0, depth_,
                          static_cast<uint32_t>(n * pitch_), plain_.data() + static_cast<size_t>(top) * pitch_);
        }
    }
    return Alive();
}

} // namespace desktop
