#include "platform/screen_module.h"

#include <stdexcept>
#include <string>

namespace platform {

namespace {

constexpr uint16_t kDevModeSize = 124;
constexpr uint32_t kModeFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
static_assert(kModeFields == 0x5C0000);

// The record's members are signed 32-bit to the game: compare them as such, so
// that a negative argument meets the value it was stored as.
int32_t AsSigned(uint32_t member) { return static_cast<int32_t>(member); }
uint32_t AsMember(int32_t value) { return static_cast<uint32_t>(value); }

} // namespace

ScreenModule::ScreenModule(DisplayDriver& driver, EventPump& pump) : driver_(driver), pump_(pump) {}

void ScreenModule::RememberDisplayMode() {
    const uintptr_t dc = driver_.GetDC();
    DevMode& mode = displayModes[1];
    mode.dmPelsWidth = AsMember(driver_.GetDeviceCaps(dc, HORZRES));
    mode.dmPelsHeight = AsMember(driver_.GetDeviceCaps(dc, VERTRES));
    mode.dmBitsPerPel = AsMember(driver_.GetDeviceCaps(dc, BITSPIXEL));
    mode.dmDisplayFrequency = AsMember(driver_.GetDeviceCaps(dc, VREFRESH));
    driver_.ReleaseDC(dc);
}

bool ScreenModule::SetDisplayMode(int16_t width, int16_t height, int16_t bits, int16_t maxRate) {
    for (;;) {
        DevMode& mode = displayModes[0];
        mode.dmPelsWidth = AsMember(width);
        mode.dmPelsHeight = AsMember(height);
        mode.dmBitsPerPel = AsMember(bits);
        const int16_t rate = FindDisplayFrequency(width, height, bits, maxRate);
        mode.dmDisplayFrequency = AsMember(rate);
        const bool ok = ApplyDisplayMode(0);
        pump_.DoEvents();
        if (ok) return true;
        if (rate == 0) return false;
        maxRate = static_cast<int16_t>(rate - 1);
    }
}

int16_t ScreenModule::FindDisplayFrequency(int16_t width, int16_t height, int16_t bits, int16_t maxRate) {
    int16_t best = 0;
    uint32_t n = 0;
    // Zeroed once, not per mode: members a driver leaves unfilled keep the
    // previous mode's values.
    DevMode mode{};
    if (!driver_.EnumDisplaySettingsA(n, &mode)) return best;
    do {
        pump_.DoEvents();
        ++n;
        const int32_t f = AsSigned(mode.dmDisplayFrequency);
        if (AsSigned(mode.dmPelsWidth) == width && AsSigned(mode.dmPelsHeight) == height &&
            AsSigned(mode.dmBitsPerPel) == bits && best < f && f <= maxRate) {
            best = static_cast<int16_t>(f);
        }
    } while (driver_.EnumDisplaySettingsA(n, &mode));
    return best;
}

bool ScreenModule::ApplyDisplayMode(int32_t index) {
    if (index < 0 || index > 1) {
        throw std::out_of_range("display mode index " + std::to_string(index));
    }
    DevMode& mode = displayModes[static_cast<size_t>(index)];
    mode.dmSize = kDevModeSize;
    mode.dmFields = kModeFields;
    if (driver_.ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) return false;
    pump_.DoEvents();
    driver_.ChangeDisplaySettingsA(&mode, CDS_UPDATEREGISTRY);
    pump_.DoEvents();
    return true;
}

void ScreenModule::RestoreDisplayMode() { ApplyDisplayMode(1); }

} // namespace platform
