#pragma once
#include <cstdint>

namespace platform {

// The members of the display-mode record that the game uses, in the record's
// narrow-character form up to dmDisplayFrequency (124 bytes when stored).
struct DevMode {
    uint16_t dmSize = 0;
    uint32_t dmFields = 0;
    uint32_t dmBitsPerPel = 0;
    uint32_t dmPelsWidth = 0;
    uint32_t dmPelsHeight = 0;
    uint32_t dmDisplayFrequency = 0;
};

constexpr uint32_t DM_BITSPERPEL = 0x40000;
constexpr uint32_t DM_PELSWIDTH = 0x80000;
constexpr uint32_t DM_PELSHEIGHT = 0x100000;
constexpr uint32_t DM_DISPLAYFREQUENCY = 0x400000;
constexpr uint32_t CDS_UPDATEREGISTRY = 1;
constexpr uint32_t CDS_FULLSCREEN = 4;
constexpr long DISP_CHANGE_SUCCESSFUL = 0;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int VREFRESH = 116;

// The display services behind the game's mode switching.
class DisplayDriver {
public:
    virtual ~DisplayDriver() = default;
    // A drawing context for the whole screen; 0 when none can be had.
    virtual uintptr_t GetDC() = 0;
    virtual void ReleaseDC(uintptr_t dc) = 0;
    virtual int GetDeviceCaps(uintptr_t dc, int index) = 0;
    // The modeNum-th mode of the primary display; false past the last one.
    virtual bool EnumDisplaySettingsA(uint32_t modeNum, DevMode* mode) = 0;
    // 0 (DISP_CHANGE_SUCCESSFUL) when the display accepted the mode.
    virtual long ChangeDisplaySettingsA(const DevMode* mode, uint32_t flags) = 0;
};

} // namespace platform
