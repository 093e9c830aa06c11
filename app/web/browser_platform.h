#pragma once
#include <emscripten.h>

#include "platform/counter.h"
#include "platform/display_driver.h"
#include "ui/window.h"

namespace web {

// The page's high-resolution clock (performance.now), in nanoseconds. Its
// resolution is 5 microseconds when the page is cross-origin isolated and
// 100 otherwise, which is why the server sends the isolating headers.
class BrowserCounter final : public platform::Counter {
public:
    bool QueryFrequency(int64_t* out) override {
        *out = 1000000000;
        return true;
    }
    bool QueryCounter(int64_t* out) override {
        *out = static_cast<int64_t>(emscripten_get_now() * 1e6);
        return true;
    }
};

// The game runs in its canvas: there are no display modes to switch to, and
// every change is refused, so the game stays in the page as it is.
class NoDisplayModes final : public platform::DisplayDriver {
public:
    static constexpr uintptr_t kCanvasDC = 1;
    static constexpr long kBadMode = -2;

    uintptr_t GetDC() override { return kCanvasDC; }
    void ReleaseDC(uintptr_t) override {}
    int GetDeviceCaps(uintptr_t dc, int index) override {
        if (dc != kCanvasDC) return 0;
        switch (index) {
        case platform::HORZRES: return ui::kScreenWidth;
        case platform::VERTRES: return ui::kScreenHeight;
        case platform::BITSPIXEL: return 32;
        default: return 0;  // the page's refresh rate is not known
        }
    }
    bool EnumDisplaySettingsA(uint32_t, platform::DevMode*) override { return false; }
    long ChangeDisplaySettingsA(const platform::DevMode*, uint32_t) override { return kBadMode; }
};

} // namespace web
