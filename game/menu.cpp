// The buttons, the skill list and the speed spinner.
#include "game/form1.h"

namespace game {

void Form1::Command2_Click() { SaveSpeed(); }
void Form1::Command3_Click() { NewGame(); }
void Form1::Command5_Click() { Command4_Click(); }
void Form1::Command6_Click() { NewGame(); }

void Form1::Command4_Click() {
    gameRunning = kFalse;
    for (auto& sound : EmbedSound1) sound->StopSound();
    Timer2.SetEnabled(false);
    frameTimer.reset();
    screen.RestoreDisplayMode();
    throw QuitProgram{0};
}

void Form1::Skill_Click() { ApplySkillLimits(); }

void Form1::ApplySkillLimits() {
    const SkillLevel& level = SkillLevelAt(Skill.ListIndex());
    minSpeed = level.minSpeed;
    maxSpeed = level.maxSpeed;
}

void Form1::VScrollbar1_change() {
    const int v = VScrollbar1.Value();
    speedFactor = (501 - v) / 100.0;
    sp.SetCaption(std::to_string(501 - VScrollbar1.Value()));
}

} // namespace game
