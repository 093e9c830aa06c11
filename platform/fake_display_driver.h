#pragma once
#include <cstdint>
#include <set>
#include <tuple>
#include <vector>

#include "platform/display_driver.h"

namespace platform {

// A display that offers the listed modes, runs `current` and refuses the
// changes named in `refused`. Every change request is logged.
class FakeDisplayDriver final : public DisplayDriver {
public:
    struct Mode {
        uint32_t width = 0;
        uint32_t height = 0;
        uint32_t bits = 0;
        uint32_t rate = 0;
        auto operator<=>(const Mode&) const = default;
    };
    struct Change {
        DevMode mode;
        uint32_t flags = 0;
    };

    static constexpr uintptr_t kScreenDC = 0x5C;
    static constexpr long kRefused = -2;  // the display services' "bad mode"

    void Offer(uint32_t width, uint32_t height, uint32_t bits, uint32_t rate) {
        DevMode mode;
        mode.dmSize = 124;
        mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
        mode.dmPelsWidth = width;
        mode.dmPelsHeight = height;
        mode.dmBitsPerPel = bits;
        mode.dmDisplayFrequency = rate;
        modes.push_back(mode);
    }
    void Refuse(uint32_t width, uint32_t height, uint32_t bits, uint32_t rate) {
        refused.insert(Mode{width, height, bits, rate});
    }
    // Only the change calls with the given flag.
    std::vector<Change> ChangesWith(uint32_t flags) const {
        std::vector<Change> out;
        for (const Change& c : changes)
            if (c.flags == flags) out.push_back(c);
        return out;
    }

    uintptr_t GetDC() override {
        ++getDCCalls;
        return kScreenDC;
    }
    void ReleaseDC(uintptr_t dc) override {
        ++releaseDCCalls;
        if (dc != kScreenDC) ++foreignDCReleases;
    }
    int GetDeviceCaps(uintptr_t dc, int index) override {
        if (dc != kScreenDC) return 0;
        switch (index) {
            case HORZRES: return static_cast<int>(current.width);
            case VERTRES: return static_cast<int>(current.height);
            case BITSPIXEL: return static_cast<int>(current.bits);
            case VREFRESH: return static_cast<int>(current.rate);
            default: return 0;
        }
    }
    bool EnumDisplaySettingsA(uint32_t modeNum, DevMode* mode) override {
        ++enumCalls;
        if (modeNum >= modes.size()) return false;
        *mode = modes[modeNum];
        return true;
    }
    long ChangeDisplaySettingsA(const DevMode* mode, uint32_t flags) override {
        changes.push_back(Change{*mode, flags});
        const Mode asked{mode->dmPelsWidth, mode->dmPelsHeight, mode->dmBitsPerPel, mode->dmDisplayFrequency};
        if (refused.contains(asked)) return kRefused;
        if (flags == CDS_UPDATEREGISTRY) {
            if (registryResult == DISP_CHANGE_SUCCESSFUL) stored = asked;
            return registryResult;
        }
        current = asked;
        return DISP_CHANGE_SUCCESSFUL;
    }

    std::vector<DevMode> modes;
    Mode current;
    Mode stored;  // the user's stored setting
    std::set<Mode> refused;
    long registryResult = DISP_CHANGE_SUCCESSFUL;

    std::vector<Change> changes;
    int getDCCalls = 0;
    int releaseDCCalls = 0;
    int foreignDCReleases = 0;
    int enumCalls = 0;
};

} // namespace platform
