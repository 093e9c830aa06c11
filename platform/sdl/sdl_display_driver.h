#pragma once
#include <atomic>

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
    // Puts the desktop's own mode back if the game's is in force, and does
    // nothing else: for the way out of a crash, where no events may run.
    void LeaveGameMode();
    bool GameModeInForce() const { return gameMode_; }

private:
    SDL_Window* window_ = nullptr;
    std::atomic<bool> gameMode_{false};
};

} // namespace platform
