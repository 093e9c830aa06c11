#include "ui/form1_layout.h"

#include <stdexcept>

namespace ui {

namespace {

Font Comic(double points) { return {"Comic Sans MS", points, true}; }
Font ArialBold() { return {"Arial", 8.25, true}; }

Element& Place(Element& e, double left, double top, double width, double height) {
    e.leftTw = left;
    e.topTw = top;
    e.widthTw = width;
    e.heightTw = height;
    return e;
}

Element& Box(Window& w, Element* in, const char* name, int index, double l, double t, double wd, double h,
             std::optional<uint32_t> back = std::nullopt) {
    Element& e = Place(w.Add(Kind::PictureBox, name, index, in), l, t, wd, h);
    if (back) e.backColor = *back;
    return e;
}

// A label shows what lies beneath unless given a back colour.
Element& Text(Window& w, Element& in, const char* name, double l, double t, double wd, double h, const char* caption,
              uint32_t colour, Font font) {
    Element& e = Place(w.Add(Kind::Label, name, -1, &in), l, t, wd, h);
    e.SetCaption(caption);
    e.foreColor = colour;
    e.font = std::move(font);
    e.opaque = false;
    return e;
}

Element& Button(Window& w, Element& in, const char* name, double l, double t, double wd, double h, const char* caption,
                std::optional<uint32_t> face, Font font) {
    Element& e = Place(w.Add(Kind::CommandButton, name, -1, &in), l, t, wd, h);
    e.SetCaption(caption);
    if (face) e.backColor = *face;
    e.font = std::move(font);
    return e;
}

void Sound(Window& w, int index) { w.Add(Kind::Sound, "EmbedSound1", index).Hide(); }

Element& Sprite(Window& w, const char* name, double l, double t) {
    return Place(w.Add(Kind::Sprite, name), l, t, 480, 480);
}

void StatusBox(Window& w) {
    Element& box = Box(w, nullptr, "Picture7", -1, 120, 120, 3255, 375, 0xC0FFFF);
    Text(w, box, "Label6", 50, 50, 3495, 255, "SKILL:", 0x0000FF, Comic(9));
}

void GameMenu(Window& w) {
    Element& menu = Box(w, nullptr, "Picture2", -1, 2400, 2040, 4695, 3375, 0xFFC0C0);
    Text(w, menu, "Label8", 1080, 240, 2295, 375, "GAME MENU", 0x0000C0, Comic(14.25));
    Button(w, menu, "Command3", 840, 840, 2895, 375, "New Game", 0xFFFFC0, Comic(11.25));
    Button(w, menu, "Command4", 840, 1320, 2895, 375, "Quit to Windows", 0xC0FFC0, Comic(11.25));
    Text(w, menu, "Label5", 960, 2160, 735, 255, "SPEED:", 0x000000, Comic(9));
    Element& frame = Box(w, &menu, "Picture8", -1, 1680, 2160, 615, 255);
    Element& sp = Text(w, frame, "sp", 0, 0, 615, 255, "Label5", 0x000000, ArialBold());
    sp.opaque = true;
    sp.backColor = 0xFFFFC0;
    Element& bar = Place(w.Add(Kind::VScrollBar, "VScrollbar1", -1, &menu), 2280, 2160, 255, 255);
    bar.Min = 1;
    bar.Max = 500;
    bar.SmallChange = 1;
    bar.SetValue(401);
    Button(w, menu, "Command2", 2520, 2160, 855, 255, "Save", std::nullopt, ArialBold());
    Text(w, menu, "Label9", 1080, 2760, 2295, 255, "<ESC>  to continue", 0xC00000, Comic(9.75));
}

void ScorePanel(Window& w) {
    Element& panel = Box(w, nullptr, "Picture6", -1, 1440, 1680, 6495, 3975, 0xFFFFC0);
    Text(w, panel, "Label1", 1200, 360, 3375, 375, "GAME OVER, DAMAGE 100%", 0xC00000, Comic(11.25));
    Text(w, panel, "Label2", 360, 1080, 1335, 255, "ROAD SCORE", 0x000000, Comic(9));
    Text(w, panel, "roadbod", 3000, 1080, 3015, 255, "ROAD SCORE", 0x0000C0, Comic(9));
    Place(w.Add(Kind::Image, "Image2", -1, &panel), 360, 1440, 480, 480);
    Text(w, panel, "novacamount", 1080, 1680, 1335, 255, "AMOUNT", 0x000000, Comic(9));
    Text(w, panel, "novacabod", 3000, 1680, 2895, 255, "ROAD SCORE", 0x0000C0, Comic(9));
    Place(w.Add(Kind::Image, "Image1", -1, &panel), 360, 2160, 480, 480);
    Text(w, panel, "zekoamount", 1080, 2280, 1335, 255, "AMOUNT", 0x000000, Comic(9));
    Text(w, panel, "zekobodi", 3000, 2280, 2895, 255, "ROAD SCORE", 0x0000C0, Comic(9));
    Element& line = Place(w.Add(Kind::Line, "Line1", -1, &panel), 2640, 2640, 3120, 0);
    line.x1Tw = 2640;
    line.y1Tw = 2640;
    line.x2Tw = 5760;
    line.y2Tw = 2640;
    Text(w, panel, "Label3", 720, 2880, 1575, 255, "TOTAL SCORE", 0x008000, Comic(9.75));
    Text(w, panel, "totalbod", 3000, 2880, 3015, 255, "ROAD SCORE", 0xC000C0, Comic(9));
    Button(w, panel, "Command6", 5040, 3480, 1215, 375, "OK", 0xFFC080, Comic(12));
}

void IntroPanel(Window& w) {
    Element& intro = Box(w, nullptr, "Picture4", -1, 0, 0, 9594, 7215, 0x80FFFF);
    Element& title = Box(w, &intro, "Picture5", -1, 960, 480, 2895, 1335);
    // Framed, so that the box's colour does not show beside the slightly narrower picture.
    title.borderStyle = 1;
    Text(w, title, "Label7", 2160, 120, 735, 375, "v6.27", 0x0000C0, Comic(9.75));
    Button(w, intro, "Command5", 5520, 960, 2775, 375, "Quit to Windows", 0xC0FFC0, Comic(12));
    Element& tekst = Text(w, intro, "tekst", 960, 2040, 7575, 4215, "Label1", 0x000000, Comic(9));
    tekst.borderStyle = 1;
    Text(w, intro, "Label4", 3600, 6150, 735, 255, "SKILL:", 0x000000, Comic(9));
    Element& skill = Place(w.Add(Kind::ComboBox, "Skill", -1, &intro), 4320, 6120, 1215, 360);
    skill.font = Comic(8.25);
    skill.backColor = 0xFFFFFF;
    Button(w, intro, "Command1", 6120, 6120, 1935, 375, "Start ", 0xFFC080, Comic(12));
    Box(w, &intro, "nemaga", 3, 8880, 1560, 615, 495);
    Box(w, &intro, "nemaga", 2, 8640, 1080, 615, 495);
}

} // namespace

void BuildForm1(Window& w) {
    w.form().SetCaption("Trakmor");
    StatusBox(w);
    GameMenu(w);
    Sound(w, 0);
    Box(w, nullptr, "Picture1", -1, 120, 1920, 495, 615, 0xFFE0C0).pixelScale = true;
    Element& timer = w.Add(Kind::Timer, "Timer2");
    timer.Interval = 50;
    timer.SetEnabled(false);
    ScorePanel(w);
    Sprite(w, "auticd", 9240, 360);
    Sprite(w, "auticl", 8640, 360);
    Box(w, nullptr, "nemaga", 1, 7920, 1200, 615, 495);
    Box(w, nullptr, "nemaga", 0, 7320, 480, 615, 495);
    Box(w, nullptr, "ometalo", 3, 9000, 3000, 735, 495);
    Box(w, nullptr, "ometalo", 2, 8520, 2040, 735, 495);
    Box(w, nullptr, "ometalo", 1, 6840, 3600, 735, 495);
    Box(w, nullptr, "ometalo", 0, 8160, 3000, 975, 495);
    Sprite(w, "autic", 8160, 360);
    Box(w, nullptr, "sdesno", -1, 4200, 840, 255, 615);
    Box(w, nullptr, "sravno", -1, 8880, 4560, 855, 615);
    Box(w, nullptr, "Picture3", 5, 3720, 3120, 735, 615);
    Box(w, nullptr, "Picture3", 4, 3000, 2040, 735, 615);
    Box(w, nullptr, "Picture3", 3, 2640, 3120, 735, 615);
    Box(w, nullptr, "Picture3", 2, 1920, 3240, 735, 615);
    Box(w, nullptr, "Picture3", 1, 120, 3960, 615, 615);
    Box(w, nullptr, "Picture3", 0, 0, 3000, 615, 615);
    // The road screens carry a border at design; the game takes it off.
    for (Element* screen : {&Box(w, nullptr, "Picturex", 1, 3480, 120, 1935, 1335, 0xCCFFCC),
                            &Box(w, nullptr, "Picturex", 0, 4680, 0, 2055, 1215, 0xCCFFCC)}) {
        screen->pixelScale = true;
        screen->borderStyle = 1;
    }
    IntroPanel(w);
    for (int i = 1; i <= 4; ++i) Sound(w, i);
}

void LoadForm1Pictures(Window& w,
                       const std::function<std::optional<std::vector<uint8_t>>(const std::string& fullName)>& pictureFile) {
    auto decode = [&](const std::string& name, Transparency t) -> PicturePtr {
        const auto file = pictureFile(name);
        if (!file) return nullptr;
        PicturePtr picture = Picture::Decode(*file, t);
        if (!picture) throw std::runtime_error("picture of " + name + " does not decode");
        return picture;
    };
    if (PicturePtr icon = decode(w.form().FullName(), Transparency::Mask)) w.Icon = icon;
    for (const auto& e : w.Elements()) {
        if (e->kind != Kind::PictureBox && e->kind != Kind::Image && e->kind != Kind::Sprite) continue;
        Transparency t = Transparency::Mask;
        if (e->kind == Kind::Sprite)
            t = Transparency::WhiteKey;
        else if (e->name == "sravno" || e->name == "sdesno" || e->name == "Picture5")
            t = Transparency::Opaque;
        if (PicturePtr picture = decode(e->FullName(), t)) e->SetPicture(std::move(picture));
    }
}

} // namespace ui
