#pragma once
#include "platform/display_driver.h"

struct SDL_Window;

namespace platform {

// Display modes through SDL for the game's one window. A mode other than the
// desktop's is taken as exclusive fullscreen on the window; the desktop mode
// means a 640x480 window on the desktop again.
class SdlDisplayDriver final : public DisplayDriver {
public:
    void SetWindow(SDL_Window* window) { window_ = window; }

    uintptr_t GetDC() override;
    void ReleaseDC(uintptr_t dc) override;
    int GetDeviceCaps(uintptr_t dc, int index) override;
    bool EnumDisplaySettingsA(uint32_t modeNum, DevMode* mode) override;
    long ChangeDisplaySettingsA(const DevMode* mode, uint32_t flags) override;

private:
    SDL_Window* window_ = nullptr;
};

} // namespace platform
