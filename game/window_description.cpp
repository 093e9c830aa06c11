#include "game/window_description.h"

#include "game/form1.h"

namespace game {

void LoadWindowDescription(Form1& form) {
    (void)form;
}

} // namespace game
