#include "app/sdl/game_rules.h"

#include "game/form1.h"

namespace sdl {

void OnFocusLost(game::Form1& form) {
    if (!form.gameRunning || form.Picture2.Visible()) return;
    form.window.OnKeyDown(ui::vk::Escape);
    form.window.OnKeyUp(ui::vk::Escape);
}

bool ButtonsInFront(const game::Form1& form) {
    return form.Picture4.Shown() || form.Picture2.Shown() || form.Picture6.Shown();
}

} // namespace sdl
