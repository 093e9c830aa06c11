#include "app/sdl/sdl_input.h"

#include "app/sdl/key_map.h"

namespace sdl {

namespace {

int16_t ShiftState(Uint16 mod) {
    return static_cast<int16_t>(((mod & KMOD_SHIFT) ? 1 : 0) | ((mod & KMOD_CTRL) ? 2 : 0) | ((mod & KMOD_ALT) ? 4 : 0));
}

bool ButtonControl(Uint8 button, PadControl* control) {
    switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: *control = PadControl::DpadLeft; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: *control = PadControl::DpadRight; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: *control = PadControl::DpadUp; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: *control = PadControl::DpadDown; return true;
    case SDL_CONTROLLER_BUTTON_A: *control = PadControl::A; return true;
    case SDL_CONTROLLER_BUTTON_B: *control = PadControl::B; return true;
    case SDL_CONTROLLER_BUTTON_START: *control = PadControl::Start; return true;
    case SDL_CONTROLLER_BUTTON_BACK: *control = PadControl::Back; return true;
    default: return false;
    }
}

} // namespace

SdlInput::SdlInput() : padKeys_(repeat_) {}

SdlInput::~SdlInput() {
    pads_.clear();
    if (padsReady_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void SdlInput::Open(SDL_Window* window, RepeatTiming repeat) {
    window_ = window;
    repeat_ = repeat;
    padKeys_.SetTiming(repeat_);
    // Pads already plugged in arrive as "added" events like new ones.
    if (!padsReady_) padsReady_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

bool SdlInput::Handle(const SDL_Event& e, double nowMs) {
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        Key(e.key);
        return true;
    case SDL_WINDOWEVENT:
        switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_LOST: {
            // Pads keep no state for a window in the background; what they held is let go.
            std::vector<KeyStroke> strokes;
            padKeys_.Release(-1, strokes);
            Send(strokes);
            if (FocusLost) FocusLost();
            break;
        }
        case SDL_WINDOWEVENT_MINIMIZED:
            if (Minimised) Minimised(true);
            break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_SHOWN:
            if (Minimised) Minimised(false);
            break;
        default: break;
        }
        return false;  // the window's own handling goes on
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
    case SDL_CONTROLLERAXISMOTION:
        Pad(e, nowMs);
        return true;
    default: return false;
    }
}

void SdlInput::Key(const SDL_KeyboardEvent& key) {
    const bool down = key.type == SDL_KEYDOWN;
    switch (fullscreen_.OnKey(down, key.keysym.scancode, key.keysym.mod, key.repeat != 0)) {
    case FullscreenKeys::Verdict::Toggle: SwitchFullscreen(); return;
    case FullscreenKeys::Verdict::Swallow: return;
    case FullscreenKeys::Verdict::Pass: break;
    }
    const int code = VirtualKey(key.keysym.scancode, key.keysym.sym);
    if (!ui_ || code == 0) return;  // 0 is the game's own continuation call, never a key
    if (down) ui_->OnKeyDown(code, ShiftState(key.keysym.mod));
    else ui_->OnKeyUp(code, ShiftState(key.keysym.mod));
}

void SdlInput::SwitchFullscreen() {
    if (ToggleFullscreen) {
        ToggleFullscreen();
        return;
    }
    if (!window_) return;
    const auto flags = ToggledFullscreen(SDL_GetWindowFlags(window_));
    if (!flags) return;
    SDL_SetWindowFullscreen(window_, *flags);
    if (ui_) ui_->MarkDirty();
}

void SdlInput::Pad(const SDL_Event& e, double nowMs) {
    std::vector<KeyStroke> strokes;
    const bool buttons = ButtonsInFront && ButtonsInFront();
    switch (e.type) {
    case SDL_CONTROLLERDEVICEADDED: {
        platform::GameControllerPtr c(SDL_GameControllerOpen(e.cdevice.which));
        if (!c) break;
        const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c.get()));
        // Opened before, the second open is let go again: SDL counts the opens.
        if (!pads_.count(id)) pads_[id] = std::move(c);
        break;
    }
    case SDL_CONTROLLERDEVICEREMOVED:
        padKeys_.Release(e.cdevice.which, strokes);
        pads_.erase(e.cdevice.which);
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        PadControl control;
        if (ButtonControl(e.cbutton.button, &control))
            padKeys_.Control(e.cbutton.which, control, e.type == SDL_CONTROLLERBUTTONDOWN, buttons, nowMs, strokes);
        break;
    }
    case SDL_CONTROLLERAXISMOTION:
        if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX)
            padKeys_.Axis(e.caxis.which, PadAxis::LeftStickX, e.caxis.value, buttons, nowMs, strokes);
        else if (e.caxis.axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT)
            padKeys_.Axis(e.caxis.which, PadAxis::LeftTrigger, e.caxis.value, buttons, nowMs, strokes);
        else if (e.caxis.axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT)
            padKeys_.Axis(e.caxis.which, PadAxis::RightTrigger, e.caxis.value, buttons, nowMs, strokes);
        break;
    default: break;
    }
    Send(strokes);
}

void SdlInput::Tick(double nowMs) {
    std::vector<KeyStroke> strokes;
    padKeys_.Tick(nowMs, strokes);
    Send(strokes);
    if (AfterEvents) AfterEvents(nowMs);
}

void SdlInput::Send(std::vector<KeyStroke>& strokes) {
    // The game's handlers may pump events, and so come back here, before this
    // returns: the strokes are the caller's own copy.
    if (!ui_) return;
    for (const KeyStroke& k : strokes) {
        if (k.down) ui_->OnKeyDown(k.code, k.shift);
        else ui_->OnKeyUp(k.code, k.shift);
    }
}

} // namespace sdl
