// The game window: its elements found by name and its handlers wired to their events.
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
      auticd(El("auticd")), counter_(s.counter), pump_(s.pump), random_(s.random), files_(s.files),
      settingsFile_(s.settingsFile) {
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

} // namespace game
