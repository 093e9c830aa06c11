// The game window as designed: every element, where it sits and how it looks.
#include "ui/form1_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/ui_test_pictures.h"

namespace {

using ui::Element;
using ui::Kind;
using ui::Window;

class Form1Test : public ::testing::Test {
protected:
    Form1Test() { ui::BuildForm1(window); }

    Element& Get(const std::string& name, int index = -1) {
        Element* e = window.Find(name, index);
        if (!e) throw std::runtime_error("no element " + name);
        return *e;
    }
    std::vector<std::string> Names(const Element& container) {
        std::vector<std::string> names;
        for (const Element* c : container.Children()) names.push_back(c->FullName());
        return names;
    }

    Window window;
};

using Strings = std::vector<std::string>;

TEST_F(Form1Test, ElementsAreNestedAndStackedInTheOrderOfTheDescription) {
    EXPECT_EQ(Names(window.form()),
              (Strings{"Picture7",    "Picture2",    "EmbedSound1(0)", "Picture1",    "Timer2",      "Picture6",
                       "auticd",      "auticl",      "nemaga(1)",      "nemaga(0)",   "ometalo(3)",  "ometalo(2)",
                       "ometalo(1)",  "ometalo(0)",  "autic",          "sdesno",      "sravno",      "Picture3(5)",
                       "Picture3(4)", "Picture3(3)", "Picture3(2)",    "Picture3(1)", "Picture3(0)", "Picturex(1)",
                       "Picturex(0)", "Picture4",    "EmbedSound1(1)", "EmbedSound1(2)", "EmbedSound1(3)",
                       "EmbedSound1(4)"}));
    EXPECT_EQ(Names(Get("Picture7")), Strings{"Label6"});
    EXPECT_EQ(Names(Get("Picture2")), (Strings{"Label8", "Command3", "Command4", "Label5", "Picture8", "VScrollbar1",
                                               "Command2", "Label9"}));
    EXPECT_EQ(Names(Get("Picture8")), Strings{"sp"});
    EXPECT_EQ(Names(Get("Picture6")),
              (Strings{"Label1", "Label2", "roadbod", "Image2", "novacamount", "novacabod", "Image1", "zekoamount",
                       "zekobodi", "Line1", "Label3", "totalbod", "Command6"}));
    EXPECT_EQ(Names(Get("Picture4")), (Strings{"Picture5", "Command5", "tekst", "Label4", "Skill", "Command1",
                                               "nemaga(3)", "nemaga(2)"}));
    EXPECT_EQ(Names(Get("Picture5")), Strings{"Label7"});
    // Every element is reachable from the window: nothing was made twice or lost.
    EXPECT_EQ(window.Elements().size(), 1u + 30 + 1 + 8 + 1 + 13 + 8 + 1);
}

TEST_F(Form1Test, TheWindowAndItsKindsOfElement) {
    EXPECT_EQ(window.form().Caption(), "Trakmor");
    EXPECT_EQ(window.form().WidthPx(), 640);
    EXPECT_EQ(window.form().HeightPx(), 478);
    const std::map<std::string, Kind> kinds = {
        {"Picture1", Kind::PictureBox},  {"Label6", Kind::Label},          {"Command3", Kind::CommandButton},
        {"Skill", Kind::ComboBox},       {"VScrollbar1", Kind::VScrollBar}, {"Timer2", Kind::Timer},
        {"Line1", Kind::Line},           {"Image1", Kind::Image},          {"Image2", Kind::Image},
        {"autic", Kind::Sprite},         {"auticl", Kind::Sprite},         {"auticd", Kind::Sprite},
        {"sp", Kind::Label},             {"tekst", Kind::Label},           {"Picture8", Kind::PictureBox}};
    for (const auto& [name, kind] : kinds) EXPECT_EQ(Get(name).kind, kind) << name;
    for (int i = 0; i <= 4; ++i) {
        EXPECT_EQ(Get("EmbedSound1", i).kind, Kind::Sound);
        EXPECT_FALSE(Get("EmbedSound1", i).Visible());
    }
    for (const auto& e : window.Elements()) {
        const bool scale = e->FullName() == "Picture1" || e->name == "Picturex";
        EXPECT_EQ(e->pixelScale, scale) << e->FullName();
    }
}

TEST_F(Form1Test, GeometryInTwips) {
    struct Box {
        const char* name;
        int index;
        double l, t, w, h;
    };
    const Box boxes[] = {
        {"Picture7", -1, 120, 120, 3255, 375},     {"Picture2", -1, 2400, 2040, 4695, 3375},
        {"Picture1", -1, 120, 1920, 495, 615},     {"Picture6", -1, 1440, 1680, 6495, 3975},
        {"auticd", -1, 9240, 360, 480, 480},       {"auticl", -1, 8640, 360, 480, 480},
        {"autic", -1, 8160, 360, 480, 480},        {"nemaga", 1, 7920, 1200, 615, 495},
        {"nemaga", 0, 7320, 480, 615, 495},        {"nemaga", 3, 8880, 1560, 615, 495},
        {"nemaga", 2, 8640, 1080, 615, 495},       {"ometalo", 3, 9000, 3000, 735, 495},
        {"ometalo", 2, 8520, 2040, 735, 495},      {"ometalo", 1, 6840, 3600, 735, 495},
        {"ometalo", 0, 8160, 3000, 975, 495},      {"sdesno", -1, 4200, 840, 255, 615},
        {"sravno", -1, 8880, 4560, 855, 615},      {"Picture3", 5, 3720, 3120, 735, 615},
        {"Picture3", 4, 3000, 2040, 735, 615},     {"Picture3", 3, 2640, 3120, 735, 615},
        {"Picture3", 2, 1920, 3240, 735, 615},     {"Picture3", 1, 120, 3960, 615, 615},
        {"Picture3", 0, 0, 3000, 615, 615},        {"Picturex", 1, 3480, 120, 1935, 1335},
        {"Picturex", 0, 4680, 0, 2055, 1215},      {"Picture4", -1, 0, 0, 9594, 7215},
        {"Label6", -1, 50, 50, 3495, 255},         {"Label8", -1, 1080, 240, 2295, 375},
        {"Command3", -1, 840, 840, 2895, 375},     {"Command4", -1, 840, 1320, 2895, 375},
        {"Label5", -1, 960, 2160, 735, 255},       {"Picture8", -1, 1680, 2160, 615, 255},
        {"sp", -1, 0, 0, 615, 255},                {"VScrollbar1", -1, 2280, 2160, 255, 255},
        {"Command2", -1, 2520, 2160, 855, 255},    {"Label9", -1, 1080, 2760, 2295, 255},
        {"Label1", -1, 1200, 360, 3375, 375},      {"Label2", -1, 360, 1080, 1335, 255},
        {"roadbod", -1, 3000, 1080, 3015, 255},    {"Image2", -1, 360, 1440, 480, 480},
        {"novacamount", -1, 1080, 1680, 1335, 255}, {"novacabod", -1, 3000, 1680, 2895, 255},
        {"Image1", -1, 360, 2160, 480, 480},       {"zekoamount", -1, 1080, 2280, 1335, 255},
        {"zekobodi", -1, 3000, 2280, 2895, 255},   {"Label3", -1, 720, 2880, 1575, 255},
        {"totalbod", -1, 3000, 2880, 3015, 255},   {"Command6", -1, 5040, 3480, 1215, 375},
        {"Picture5", -1, 960, 480, 2895, 1335},    {"Label7", -1, 2160, 120, 735, 375},
        {"Command5", -1, 5520, 960, 2775, 375},    {"tekst", -1, 960, 2040, 7575, 4215},
        {"Label4", -1, 3600, 6150, 735, 255},      {"Skill", -1, 4320, 6120, 1215, 360},
        {"Command1", -1, 6120, 6120, 1935, 375},
    };
    for (const Box& b : boxes) {
        const Element& e = Get(b.name, b.index);
        EXPECT_EQ((std::vector<double>{e.Left(), e.Top(), e.Width(), e.Height()}),
                  (std::vector<double>{b.l, b.t, b.w, b.h}))
            << e.FullName();
    }
    const Element& line = Get("Line1");
    EXPECT_EQ((std::vector<double>{line.x1Tw, line.y1Tw, line.x2Tw, line.y2Tw}),
              (std::vector<double>{2640, 2640, 5760, 2640}));
    EXPECT_EQ(Get("Picture2").AbsLeftPx(), 160);
    EXPECT_EQ(Get("VScrollbar1").AbsTopPx(), 136 + 144);
}

TEST_F(Form1Test, CaptionsAreExact) {
    const std::map<std::string, std::string> captions = {
        {"Label6", "SKILL:"},
        {"Label8", "GAME MENU"},
        {"Command3", "New Game"},
        {"Command4", "Quit to Windows"},
        {"Label5", "SPEED:"},
        {"sp", "Label5"},
        {"Command2", "Save"},
        {"Label9", "<ESC>  to continue"},
        {"Label1", "GAME OVER, DAMAGE 100%"},
        {"Label2", "ROAD SCORE"},
        {"roadbod", "ROAD SCORE"},
        {"novacamount", "AMOUNT"},
        {"novacabod", "ROAD SCORE"},
        {"zekoamount", "AMOUNT"},
        {"zekobodi", "ROAD SCORE"},
        {"Label3", "TOTAL SCORE"},
        {"totalbod", "ROAD SCORE"},
        {"Command6", "OK"},
        {"Label7", "v6.27"},
        {"Command5", "Quit to Windows"},
        {"tekst", "Label1"},
        {"Label4", "SKILL:"},
        {"Command1", "Start "},
    };
    for (const auto& e : window.Elements()) {
        if (e->kind != Kind::Label && e->kind != Kind::CommandButton) continue;
        const auto it = captions.find(e->FullName());
        ASSERT_NE(it, captions.end()) << e->FullName() << " has no expected caption";
        EXPECT_EQ(e->Caption(), it->second) << e->FullName();
    }
    EXPECT_TRUE(Get("Skill").Items().empty());
    EXPECT_EQ(Get("Skill").ListIndex(), -1);
}

TEST_F(Form1Test, FontsAndColours) {
    struct Look {
        const char* name;
        const char* face;
        double points;
        uint32_t fore;
    };
    const Look looks[] = {
        {"Label6", "Comic Sans MS", 9, 0x0000FF},     {"Label8", "Comic Sans MS", 14.25, 0x0000C0},
        {"Command3", "Comic Sans MS", 11.25, 0},      {"Label5", "Comic Sans MS", 9, 0},
        {"sp", "Arial", 8.25, 0},                     {"Command2", "Arial", 8.25, 0},
        {"Label9", "Comic Sans MS", 9.75, 0xC00000},  {"Label1", "Comic Sans MS", 11.25, 0xC00000},
        {"roadbod", "Comic Sans MS", 9, 0x0000C0},    {"Label3", "Comic Sans MS", 9.75, 0x008000},
        {"totalbod", "Comic Sans MS", 9, 0xC000C0},   {"Command6", "Comic Sans MS", 12, 0},
        {"Label7", "Comic Sans MS", 9.75, 0x0000C0},  {"Command1", "Comic Sans MS", 12, 0},
        {"tekst", "Comic Sans MS", 9, 0},             {"Skill", "Comic Sans MS", 8.25, 0},
    };
    for (const Look& l : looks) {
        const Element& e = Get(l.name);
        EXPECT_EQ(e.font.face, l.face) << l.name;
        EXPECT_EQ(e.font.points, l.points) << l.name;
        EXPECT_TRUE(e.font.bold) << l.name;
        EXPECT_EQ(e.foreColor, l.fore) << l.name;
    }
    const std::map<std::string, uint32_t> backs = {
        {"Picture7", 0xC0FFFF}, {"Picture2", 0xFFC0C0}, {"Picture1", 0xFFE0C0}, {"Picture6", 0xFFFFC0},
        {"Picture4", 0x80FFFF}, {"Command3", 0xFFFFC0}, {"Command4", 0xC0FFC0}, {"Command6", 0xFFC080},
        {"Command5", 0xC0FFC0}, {"Command1", 0xFFC080}, {"sp", 0xFFFFC0},
    };
    for (const auto& [name, colour] : backs) EXPECT_EQ(Get(name).backColor, colour) << name;
    EXPECT_EQ(Get("Picturex", 0).backColor, 0xCCFFCCu);
    EXPECT_EQ(Get("Picturex", 1).backColor, 0xCCFFCCu);
    for (const auto& e : window.Elements()) {
        if (e->kind == Kind::Label) {
            EXPECT_EQ(e->opaque, e->name == "sp") << e->FullName();
        }
    }
}

TEST_F(Form1Test, ControlsStartAsDesigned) {
    const Element& bar = Get("VScrollbar1");
    EXPECT_EQ(bar.Min, 1);
    EXPECT_EQ(bar.Max, 500);
    EXPECT_EQ(bar.Value(), 401);
    EXPECT_EQ(bar.SmallChange, 1);
    EXPECT_EQ(Get("Timer2").Interval, 50);
    EXPECT_FALSE(Get("Timer2").Enabled());
    EXPECT_EQ(Get("tekst").borderStyle, 1);
    EXPECT_EQ(Get("Picturex", 0).borderStyle, 1);
    EXPECT_EQ(Get("Picturex", 1).borderStyle, 1);
    EXPECT_EQ(Get("Picture4").borderStyle, 0);
}

TEST_F(Form1Test, PanelsMovedIntoThePlayfieldKeepTheirPlace) {
    Element& field = Get("Picture1");
    field.Move(0, 0, 10240, 7200);
    Get("Picture6").SetContainer(field);
    Get("Picture7").SetContainer(field);
    Get("Picturex", 0).SetContainer(field);
    EXPECT_DOUBLE_EQ(Get("Picture6").Left(), 96);
    EXPECT_DOUBLE_EQ(Get("Picture6").Top(), 112);
    EXPECT_DOUBLE_EQ(Get("Picture7").Left(), 8);
    EXPECT_DOUBLE_EQ(Get("Picture7").Top(), 8);
    Get("Picturex", 0).Move(0, 0, 640, 480);
    EXPECT_EQ(Get("Picturex", 0).WidthPx(), 640);
    EXPECT_EQ(field.WidthPx(), 683);
}

TEST_F(Form1Test, TheDesignedWindowComposes) {
    ui::Surface frame;
    window.Compose(frame);
    // The intro panel, described last of the panels, covers the window.
    EXPECT_EQ(frame.At(5, 5), 0x80FFFFu);
    EXPECT_EQ(frame.At(639, 479), 0x80FFFFu);
    EXPECT_EQ(frame.At(6120 / 15 + 10, 6120 / 15 + 4), 0xFFC080u);  // the Start button's face
    EXPECT_EQ(frame.At(3, 3), 0x80FFFFu);

    Get("Picture4").Hide();
    window.Compose(frame);
    EXPECT_EQ(frame.At(120 / 15 + 2, 120 / 15 + 2), 0xC0FFFFu);
    EXPECT_EQ(frame.At(165, 140), 0xFFFFC0u);  // the score panel hides the menu
    EXPECT_EQ(frame.At(8 + 2, 128 + 2), 0xFFE0C0u);

    Get("Picture6").Hide();
    window.Compose(frame);
    EXPECT_EQ(frame.At(165, 140), 0xFFC0C0u);
    // sp fills its frame; the scroll bar beside it is a grey button face.
    EXPECT_EQ(frame.At(160 + 112 + 39, 136 + 144 + 16), 0xFFFFC0u);
    EXPECT_EQ(frame.At(160 + 152 + 2, 136 + 144 + 2), 0xC0C0C0u);
}

TEST_F(Form1Test, PicturesComeFromTheirFilesWithTheirTransparency) {
    const auto icon = ui_test::SquareIcon();
    std::vector<std::string> asked;
    ui::LoadForm1Pictures(window, [&](const std::string& name) -> std::optional<std::vector<uint8_t>> {
        asked.push_back(name);
        if (name == "Picture3(2)" || name == "Form1") return icon;
        if (name == "autic" || name == "sravno") return ui_test::kSmallGif;
        return std::nullopt;
    });
    ASSERT_NE(Get("Picture3", 2).GetPicture(), nullptr);
    EXPECT_EQ(Get("Picture3", 2).GetPicture()->transparency, ui::Transparency::Mask);
    EXPECT_EQ(Get("Picture3", 2).GetPicture()->argb[0] >> 24, 0u);
    ASSERT_NE(Get("autic").GetPicture(), nullptr);
    EXPECT_EQ(Get("autic").GetPicture()->argb[0] >> 24, 0u);  // white: keyed out
    ASSERT_NE(Get("sravno").GetPicture(), nullptr);
    EXPECT_EQ(Get("sravno").GetPicture()->argb[0], 0xFFFFFFFFu);
    ASSERT_NE(window.Icon, nullptr);
    EXPECT_EQ(window.Icon->width, 32);
    EXPECT_EQ(Get("Picture3", 1).GetPicture(), nullptr);
    EXPECT_EQ(window.form().GetPicture(), nullptr);
    for (const char* holder : {"Image1", "Image2", "auticl", "auticd", "Picture5", "ometalo(0)", "nemaga(3)"})
        EXPECT_NE(std::find(asked.begin(), asked.end(), holder), asked.end()) << holder;
    for (const char* other : {"Label6", "Timer2", "EmbedSound1(0)", "Skill"})
        EXPECT_EQ(std::find(asked.begin(), asked.end(), other), asked.end()) << other;

    EXPECT_THROW(ui::LoadForm1Pictures(window,
                                       [](const std::string& name) -> std::optional<std::vector<uint8_t>> {
                                           if (name == "Picture5") return std::vector<uint8_t>{1, 2, 3};
                                           return std::nullopt;
                                       }),
                 std::runtime_error);
}

} // namespace
