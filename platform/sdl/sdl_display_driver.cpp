#include "platform/sdl/sdl_display_driver.h"

#include <SDL.h>

namespace platform {

namespace {

constexpr int kPrimaryDisplay = 0;
constexpr uintptr_t kScreenDC = 1;
constexpr long kChangeFailed = -1;  // DISP_CHANGE_FAILED
constexpr long kBadMode = -2;       // DISP_CHANGE_BADMODE
constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 480;

bool SameSize(const DevMode& mode, const SDL_DisplayMode& sdl) {
    return mode.dmPelsWidth == static_cast<uint32_t>(sdl.w) && mode.dmPelsHeight == static_cast<uint32_t>(sdl.h) &&
           mode.dmBitsPerPel == SDL_BITSPERPIXEL(sdl.format);
}

} // namespace

uintptr_t SdlDisplayDriver::GetDC() { return SDL_WasInit(SDL_INIT_VIDEO) ? kScreenDC : 0; }

void SdlDisplayDriver::ReleaseDC(uintptr_t) {}

int SdlDisplayDriver::GetDeviceCaps(uintptr_t dc, int index) {
    SDL_DisplayMode desktop;
    if (dc != kScreenDC || SDL_GetDesktopDisplayMode(kPrimaryDisplay, &desktop) != 0) return 0;
    switch (index) {
        case HORZRES: return desktop.w;
        case VERTRES: return desktop.h;
        case BITSPIXEL: return static_cast<int>(SDL_BITSPERPIXEL(desktop.format));
        case VREFRESH: return desktop.refresh_rate;
        default: return 0;
    }
}

bool SdlDisplayDriver::EnumDisplaySettingsA(uint32_t modeNum, DevMode* mode) {
    const int count = SDL_GetNumDisplayModes(kPrimaryDisplay);
    if (count < 0 || modeNum >= static_cast<uint32_t>(count)) return false;
    SDL_DisplayMode sdl;
    if (SDL_GetDisplayMode(kPrimaryDisplay, static_cast<int>(modeNum), &sdl) != 0) return false;
    mode->dmSize = 124;
    mode->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    mode->dmPelsWidth = static_cast<uint32_t>(sdl.w);
    mode->dmPelsHeight = static_cast<uint32_t>(sdl.h);
    mode->dmBitsPerPel = SDL_BITSPERPIXEL(sdl.format);
    mode->dmDisplayFrequency = static_cast<uint32_t>(sdl.refresh_rate);
    return true;
}

long SdlDisplayDriver::ChangeDisplaySettingsA(const DevMode* mode, uint32_t flags) {
    if (window_ == nullptr || mode == nullptr) return kChangeFailed;
    // SDL keeps no per-user mode setting: a mode lasts only while the window
    // is fullscreen, so there is nothing to store.
    if (flags == CDS_UPDATEREGISTRY) return DISP_CHANGE_SUCCESSFUL;

    const uint32_t rate = mode->dmDisplayFrequency;
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(kPrimaryDisplay, &desktop) != 0) return kChangeFailed;
    if (SameSize(*mode, desktop) && (rate == 0 || rate == static_cast<uint32_t>(desktop.refresh_rate))) {
        if (SDL_SetWindowFullscreen(window_, 0) != 0) return kChangeFailed;
        gameMode_ = false;
        SDL_SetWindowSize(window_, kWindowWidth, kWindowHeight);
        return DISP_CHANGE_SUCCESSFUL;
    }

    // SDL lists the modes of one size from the highest rate down, so with rate
    // 0 the first match is the best the display offers.
    const int count = SDL_GetNumDisplayModes(kPrimaryDisplay);
    for (int n = 0; n < count; ++n) {
        SDL_DisplayMode candidate;
        if (SDL_GetDisplayMode(kPrimaryDisplay, n, &candidate) != 0) continue;
        if (!SameSize(*mode, candidate) || (rate != 0 && rate != static_cast<uint32_t>(candidate.refresh_rate))) continue;
        if (SDL_SetWindowDisplayMode(window_, &candidate) != 0) return kChangeFailed;
        if (SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN) != 0) return kChangeFailed;
        gameMode_ = true;
        return DISP_CHANGE_SUCCESSFUL;
    }
    return kBadMode;
}

void SdlDisplayDriver::LeaveGameMode() {
    if (window_ && gameMode_.exchange(false)) SDL_SetWindowFullscreen(window_, 0);
}

} // namespace platform
