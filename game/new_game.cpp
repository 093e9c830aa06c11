// A new game: every variable to its first value, the panels and the playfield
// arranged for the intro screen, the help text, the saved speed.
#include "game/form1.h"

namespace game {

std::string HelpTextHead() {
    const std::string CR = "\r";
    std::string text = "       Welcome to Trakmor,";
    text += CR;
    text +=
        "freeware by Velbrook. This is an unusual car driving game without opponent cars, but you have obstacles. "
        "If you drive over a bomb your car will be damaged at least by 10%. Your car will be damaged at least by 5% "
        "if you get off the road. The tools will bring you at most 3% of recovery. Damaging and recovering depend "
        "on a skill, but the points depend on a current gear. For a bag you will get a few points (the higher the "
        "current gear the higher the points). But killing the rabbit will lose your few points (the higher the "
        "current gear, the lesser losing points) and you'll get at least 3% of damage.";
    text += CR;
    text += "Keyboard keys are:";
    text += CR;
    text += "     Q accelerate" + std::string(18, ' ') + "A deaccelerate" + std::string(17, ' ') + "<ESC> game menu";
    text += CR;
    text += "     K left" + std::string(32, ' ') + "L right";
    text += CR;
    return text;
}

std::string HelpTextTail() {
    return "You can adjust options to be suitable for the kids if you choose 'Skill -> Easy'. Normal skill has a "
           "minimum gear increasing during a road travelling. You can adjust and save your car speed by changing "
           "the 'Speed' in game menu.\r  Good luck. Have a fun.";
}

std::string HelpText() { return HelpTextHead() + HelpTextTail(); }

void Form1::NewGame() {
    Picture1.Cls();
    Picture2.Hide();
    Picture7.Hide();
    carXLatest = 0;
    carXPrevious = 0;
    gameRunning = kFalse;
    random_.Reseed();
    Picturex[0]->Hide();
    Picturex[1]->Hide();
    ometalo[kBag]->SetPicture(Image2.GetPicture());
    ometalo[kRabbit]->SetPicture(Image1.GetPicture());
    Skill.SetEnabled(true);
    Picturex[0]->SetBorderStyle(0);
    Picturex[1]->SetBorderStyle(0);
    Picture6.Hide();
    tekst.SetBorderStyle(0);
    tekst.SetCaption(HelpTextHead());
    tekst.SetCaption(tekst.Caption() + HelpTextTail());
    carX = 288;
    for (ui::Element* p : Picture3) p->Hide();
    for (int i = 0; i <= 3; ++i) {
        nemaga[i]->Hide();
        ometalo[i]->Hide();
    }
    sravno.Hide();
    sdesno.Hide();
    Picture4.Show();

    Picture1.SetContainer(form);
    Picture7.SetContainer(Picture1);
    Picture1.Move(0, 0, 10240, 7200);
    Picture2.SetContainer(form);
    for (ui::Element* e : {&Picture4, &Picture6, Picturex[0], Picturex[1], &autic, &auticl, &auticd})
        e->SetContainer(Picture1);

    for (ui::Element* x : Picturex) {
        x->SetTop(0);
        x->SetHeight(480);
        x->SetWidth(640);
        x->SetLeft(0);
    }
    genRowPhase = 0;
    genRoadColumn = 7;
    genRoadDirection = 0;
    for (int g = 0; g < kGridRows; ++g) {
        roadColumn[g] = 7;
        for (int k = 0; k <= 3; ++k) obstacleGrid[k][g] = 0;
    }
    carGridRow = 1;
    scrollPixels = 0;
    roadScore = 0;
    damage = 0;
    rabbitCount = 0;
    bagCount = 0;
    rabbitPoints = 0;
    bagPoints = 0;
    speed = 1;
    // steerKeys is kept: a key held through the new game is still held.
    steerDirection = 0;
    gameOverDone_ = false;
    ApplySkillLimits();
    gearOfSpeed.fill(0);
    for (int j = 1; j <= 5; ++j) gearOfSpeed[1 << j] = static_cast<int16_t>(j);
    auticd.Hide();
    auticl.Hide();
    autic.Hide();
    PlaceSprite(autic);
    ShowStatus();
    speedFactor = 1;
    LoadSpeed();
}

} // namespace game
