// Start-up: the window's load handler.
#include "game/form1.h"

namespace game {

void Form1::Form_Load() {
    nemaga[3]->SetPicture(nemaga[0]->GetPicture());
    nemaga[2]->SetPicture(nemaga[0]->GetPicture());
    frameTimer = std::make_unique<platform::PerformanceTimer>(counter_);
    screen.RememberDisplayMode();
    screen.SetDisplayMode(640, 480, 16, 120);
    Skill.Clear();
    for (const SkillLevel& level : kSkillLevels) Skill.AddItem(level.name);
    Skill.SetListIndex(1);
    NewGame();
}

} // namespace game
