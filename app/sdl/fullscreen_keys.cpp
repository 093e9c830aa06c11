#include "app/sdl/fullscreen_keys.h"

namespace sdl {

FullscreenKeys::Verdict FullscreenKeys::OnKey(bool down, SDL_Scancode scancode, Uint16 mod, bool repeat) {
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return Verdict::Pass;
    if (!down) {
        if (!kept_[scancode]) return Verdict::Pass;
        kept_[scancode] = false;
        return Verdict::Swallow;
    }
    if (kept_[scancode]) return Verdict::Swallow;  // a held toggle key repeating
    // A repeat of a key the game saw go down stays the game's.
    if (repeat) return Verdict::Pass;
    const bool alt = (mod & KMOD_ALT) != 0, others = (mod & (KMOD_CTRL | KMOD_GUI)) != 0;
    const bool enter = scancode == SDL_SCANCODE_RETURN || scancode == SDL_SCANCODE_KP_ENTER;
    const bool toggle = !others && ((scancode == SDL_SCANCODE_F11 && !alt) || (enter && alt));
    if (!toggle) return Verdict::Pass;
    kept_[scancode] = true;
    return Verdict::Toggle;
}

std::optional<Uint32> ToggledFullscreen(Uint32 windowFlags) {
    const Uint32 mode = windowFlags & SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (mode == SDL_WINDOW_FULLSCREEN_DESKTOP) return 0u;
    if (mode == SDL_WINDOW_FULLSCREEN) return std::nullopt;
    return static_cast<Uint32>(SDL_WINDOW_FULLSCREEN_DESKTOP);
}

} // namespace sdl
