#include "game/form1.h"

#include <cmath>
#include <stdexcept>

#include "game/window_description.h"
#include "ui/form1_layout.h"

namespace game {

Form1::Form1(const Services& s)
    : window(s.window),
      screen(s.display, s.pump),
      form((ui::BuildForm1(s.window), s.window.form())),
      Picture1(El("Picture1")), Picture2(El("Picture2")), Picture4(El("Picture4")), Picture6(El("Picture6")),
      Picture7(El("Picture7")), Label6(El("Label6")), tekst(El("tekst")), sp(El("sp")), Skill(El("Skill")),
      VScrollbar1(El("VScrollbar1")), Timer2(El("Timer2")), Command1(El("Command1")), Command2(El("Command2")),
      Command3(El("Command3")), Command4(El("Command4")), Command5(El("Command5")), Command6(El("Command6")),
      roadbod(El("roadbod")), novacamount(El("novacamount")), novacabod(El("novacabod")),
      zekoamount(El("zekoamount")), zekobodi(El("zekobodi")), totalbod(El("totalbod")), Image1(El("Image1")),
      Image2(El("Image2")), sravno(El("sravno")), sdesno(El("sdesno")), autic(El("autic")), auticl(El("auticl")),
      auticd(El("auticd")), counter_(s.counter), pump_(s.pump), random_(s.random), settingsFile_(s.settingsFile) {
    for (int i = 0; i < 2; ++i) Picturex[i] = &El("Picturex", i);
    for (int i = 0; i < 4; ++i) nemaga[i] = &El("nemaga", i);
    for (int i = 0; i < 4; ++i) ometalo[i] = &El("ometalo", i);
    for (int i = 0; i < 6; ++i) Picture3[i] = &El("Picture3", i);
    for (int i = 0; i < 5; ++i) EmbedSound1[i] = std::make_unique<platform::EmbedSound>(s.player, s.pump, true);

    LoadWindowDescription(*this);

    Skill.Click = [this] { Skill_Click(); };
    VScrollbar1.Change = [this] { VScrollbar1_change(); };
    Timer2.TimerTick = [this] { Timer2_timer(); };
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Command3.Click = [this] { Command3_Click(); };
    Command4.Click = [this] { Command4_Click(); };
    Command5.Click = [this] { Command5_Click(); };
    Command6.Click = [this] { Command6_Click(); };
    window.KeyDown = [this](int16_t code, int16_t shift) { form_KeyDown(code, shift); };
    window.KeyUp = [this](int16_t code, int16_t shift) { Form_KeyUp(code, shift); };
}

Form1::~Form1() {
    window.KeyDown = nullptr;
    window.KeyUp = nullptr;
}

ui::Element& Form1::El(const std::string& name, int index) {
    ui::Element* e = window.Find(name, index);
    if (!e) throw std::logic_error("the game window has no element " + name);
    return *e;
}

int Form1::Int(double x) const { return static_cast<int>(std::floor(x)); }

double Form1::rnd() { return random_.Rnd(); }

void Form1::Form_Load() {
    nemaga[3]->SetPicture(nemaga[0]->GetPicture());
    nemaga[2]->SetPicture(nemaga[0]->GetPicture());
    frameTimer = std::make_unique<platform::PerformanceTimer>(counter_);
    screen.RememberDisplayMode();
    screen.SetDisplayMode(640, 480, 16, 120);
    Skill.Clear();
    Skill.AddItem("Easy");
    Skill.AddItem("Normal");
    Skill.AddItem("Hard");
    Skill.SetListIndex(1);
    NewGame();
}

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
    steerDirection = 0;
    gameOverDone_ = false;
    switch (Skill.ListIndex()) {
    case 0: minSpeed = 2; maxSpeed = 8; break;
    case 1: minSpeed = 4; maxSpeed = 16; break;
    default: minSpeed = 16; maxSpeed = 16; break;
    }
    gearOfSpeed.fill(0);
    for (int j = 1; j <= 5; ++j) gearOfSpeed[1 << j] = static_cast<int16_t>(j);
    auticd.Hide();
    auticl.Hide();
    autic.Hide();
    autic.Move(carX, Picturex[0]->Height() - 64, 32, 32);
    ShowStatus();
    speedFactor = 1;
    LoadSpeed();
}

void Form1::ShowStatus() {
    if (damage < 0) damage = 0;
    if (damage >= 100) {
        gameRunning = kFalse;
        damage = 100;
        speed = 1;
        // A second hit in the same check would count the bags and rabbits into
        // the total twice: the panel is filled once per ride.
        if (!gameOverDone_) {
            gameOverDone_ = true;
            roadbod.SetCaption(std::to_string(roadScore));
            novacamount.SetCaption(std::to_string(bagCount));
            zekoamount.SetCaption(std::to_string(rabbitCount));
            zekobodi.SetCaption(std::to_string(-rabbitPoints));
            novacabod.SetCaption(std::to_string(bagPoints));
            roadScore = (bagPoints + roadScore) - rabbitPoints;
            if (roadScore < 0) roadScore = 0;
            totalbod.SetCaption(std::to_string(roadScore));
            Picture6.Show();
        }
    }
    Label6.SetCaption("  GEAR: " + std::to_string(gearOfSpeed[speed]) + "/" + std::to_string(gearOfSpeed[maxSpeed]) +
                      "   DAMAGE: " + std::to_string(damage) + "%");
}

} // namespace game
