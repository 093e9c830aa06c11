// Pictures, surfaces and composing the window into a frame, with the real
// decoders and the fonts the program carries.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <tuple>
#include <vector>

#include "tests/ui_test_pictures.h"
#include "ui/text_bitmap.h"
#include "ui/window.h"

namespace {

using ui::Element;
using ui::Kind;
using ui::Picture;
using ui::Surface;
using ui::Transparency;
using ui::Window;

// --- Decoding.

TEST(PictureTest, AnIconKeepsItsMaskAndPaletteColours) {
    const std::vector<uint8_t> file = ui_test::SquareIcon();
    ASSERT_EQ(file.size(), 2238u);
    auto p = Picture::Decode(file, Transparency::Mask);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->width, 32);
    EXPECT_EQ(p->height, 32);
    EXPECT_EQ(p->argb[0] >> 24, 0u);
    EXPECT_EQ(p->argb[7 * 32 + 8] >> 24, 0u);
    EXPECT_EQ(p->argb[8 * 32 + 8], 0xFF0000FFu);
    EXPECT_EQ(p->argb[8 * 32 + 9], 0xFFFF0000u);
    EXPECT_EQ(p->argb[23 * 32 + 23], 0xFFFF0000u);
    EXPECT_EQ(p->argb[24 * 32 + 23] >> 24, 0u);
    EXPECT_EQ(p->file, file);
    EXPECT_EQ(p->transparency, Transparency::Mask);
}

TEST(PictureTest, AGifIsKeyedOnWhiteOrDrawnWhole) {
    auto keyed = Picture::Decode(ui_test::kSmallGif, Transparency::WhiteKey);
    auto opaque = Picture::Decode(ui_test::kSmallGif, Transparency::Opaque);
    ASSERT_NE(keyed, nullptr);
    ASSERT_NE(opaque, nullptr);
    ASSERT_EQ(keyed->width, 4);
    ASSERT_EQ(keyed->height, 2);
    const std::vector<uint32_t> expectKeyed = {0x00FFFFFF, 0xFFFF0000, 0x00FFFFFF, 0xFF000000,
                                               0xFF0000FF, 0x00FFFFFF, 0xFF00FF00, 0x00FFFFFF};
    EXPECT_EQ(keyed->argb, expectKeyed);
    for (size_t i = 0; i < expectKeyed.size(); ++i) EXPECT_EQ(opaque->argb[i], expectKeyed[i] | 0xFF000000u);
}

TEST(PictureTest, WhatDoesNotDecodeGivesNoPicture) {
    EXPECT_EQ(Picture::Decode({}, Transparency::Opaque), nullptr);
    const std::vector<uint8_t> junk = {'G', 'I', 'F', '8', '9', 'a', 1, 2, 3};
    EXPECT_EQ(Picture::Decode(junk, Transparency::Opaque), nullptr);
    std::vector<uint8_t> cut = ui_test::kSmallGif;
    cut.resize(12);
    EXPECT_EQ(Picture::Decode(cut, Transparency::Opaque), nullptr);
    EXPECT_EQ(Picture::FromPixels(2, 2, {1, 2, 3}), nullptr);
    auto made = Picture::FromPixels(2, 1, {0x00123456, 0x7F654321});
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->argb, (std::vector<uint32_t>{0x00123456, 0xFF654321}));
}

// --- Surfaces.

ui::PicturePtr TwoByTwo() {
    // red, transparent / green, blue
    return Picture::FromPixels(2, 2, {0xFFFF0000, 0x00000000, 0xFF00FF00, 0xFF0000FF});
}

TEST(SurfaceTest, PaintLeavesTransparentPixelsAndScales) {
    Surface s(6, 6, 0x111111);
    s.Paint(*TwoByTwo(), 1, 1, 4, 4);
    EXPECT_EQ(s.At(0, 0), 0x111111u);
    EXPECT_EQ(s.At(1, 1), 0xFF0000u);
    EXPECT_EQ(s.At(2, 2), 0xFF0000u);
    EXPECT_EQ(s.At(3, 1), 0x111111u);  // the transparent quarter, scaled up
    EXPECT_EQ(s.At(4, 2), 0x111111u);
    EXPECT_EQ(s.At(1, 4), 0x00FF00u);
    EXPECT_EQ(s.At(4, 4), 0x0000FFu);
    EXPECT_EQ(s.At(5, 5), 0x111111u);
}

TEST(SurfaceTest, ANegativeWidthMirrorsLeftOfTheGivenPoint) {
    Surface s(4, 2, 0);
    s.Paint(*TwoByTwo(), 2, 0, -2, 2);  // covers x 1..2
    EXPECT_EQ(s.At(0, 0), 0u);
    EXPECT_EQ(s.At(1, 0), 0u);  // the transparent pixel now on the left
    EXPECT_EQ(s.At(2, 0), 0xFF0000u);
    EXPECT_EQ(s.At(1, 1), 0x0000FFu);
    EXPECT_EQ(s.At(2, 1), 0x00FF00u);
    EXPECT_EQ(s.At(3, 1), 0u);
}

TEST(SurfaceTest, PaintAndBlitAreClippedToBothSurfaces) {
    Surface s(3, 3, 0);
    s.Paint(*TwoByTwo(), -1, -1, 2, 2);
    EXPECT_EQ(s.At(0, 0), 0x0000FFu);
    s.Paint(*TwoByTwo(), 2, 2, 2, 2);
    EXPECT_EQ(s.At(2, 2), 0xFF0000u);
    s.Paint(*TwoByTwo(), 3, 0, 2, 2);  // wholly outside
    s.Paint(*TwoByTwo(), 0, 0, 0, 2);  // no width

    Surface src(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) src.Row(y)[x] = static_cast<uint32_t>(y * 10 + x);
    Surface dst(3, 3, 99);
    dst.Blit(src, -1, 2, 3, 5, 1, 0);  // source starts left of src, runs past both bottoms
    EXPECT_EQ(dst.At(0, 0), 99u);
    EXPECT_EQ(dst.At(1, 0), 99u);
    EXPECT_EQ(dst.At(2, 0), 20u);
    EXPECT_EQ(dst.At(2, 1), 30u);
    EXPECT_EQ(dst.At(2, 2), 99u);
    dst.Blit(src, 2, 2, 5, 5, -1, -1);
    EXPECT_EQ(dst.At(0, 0), 33u);
    EXPECT_EQ(dst.At(1, 0), 99u);
    dst.Blit(src, 0, 0, 4, 4, 3, 0);  // nothing lands
    EXPECT_EQ(dst.At(2, 1), 30u);
}

// --- Composing.

class ComposeTest : public ::testing::Test {
protected:
    Element& Add(Kind kind, const std::string& name, int x, int y, int w, int h, Element* in = nullptr) {
        Element& e = window.Add(kind, name, -1, in);
        e.leftTw = x * 15.0;
        e.topTw = y * 15.0;
        e.widthTw = w * 15.0;
        e.heightTw = h * 15.0;
        return e;
    }
    Element& Label(const std::string& caption, int x, int y, int w, int h, Element* in = nullptr) {
        Element& l = Add(Kind::Label, "Label", x, y, w, h, in);
        l.SetCaption(caption);
        l.opaque = false;
        l.font = {"Comic Sans MS", 9, true};
        return l;
    }
    const Surface& Compose() {
        frame = Surface();  // so that nothing left from the last frame passes for drawing
        window.Compose(frame);
        return frame;
    }
    // Rows of the rectangle in which a pixel is not `ground`.
    std::vector<int> InkedRows(int x, int y, int w, int h, uint32_t ground) {
        std::vector<int> rows;
        for (int yy = y; yy < y + h; ++yy)
            for (int xx = x; xx < x + w; ++xx)
                if (frame.At(xx, yy) != ground) {
                    rows.push_back(yy);
                    break;
                }
        return rows;
    }
    // Bands of consecutive inked rows: the lines of a text.
    int Lines(int x, int y, int w, int h, uint32_t ground) {
        const auto rows = InkedRows(x, y, w, h, ground);
        int bands = 0;
        for (size_t i = 0; i < rows.size(); ++i)
            if (i == 0 || rows[i] != rows[i - 1] + 1) ++bands;
        return bands;
    }
    int Inked(int x, int y, int w, int h, uint32_t ground) {
        int n = 0;
        for (int yy = y; yy < y + h; ++yy)
            for (int xx = x; xx < x + w; ++xx) n += frame.At(xx, yy) != ground;
        return n;
    }

    Window window;
    Surface frame;
};

TEST_F(ComposeTest, BoxesShowTheirColourImageAndPictureWithinTheirContainers) {
    window.form().backColor = 0x8080FF;
    Element& panel = Add(Kind::PictureBox, "Panel", 100, 100, 200, 100);
    panel.backColor = 0xFFC0C0;
    Element& child = Add(Kind::PictureBox, "Child", 150, 50, 100, 100, &panel);  // reaches past the panel
    child.backColor = 0x00FF00;
    Element& holder = Add(Kind::PictureBox, "Holder", 10, 10, 40, 40, &panel);
    holder.SetPicture(Picture::Decode(ui_test::SquareIcon(), Transparency::Mask));

    const Surface& f = Compose();
    EXPECT_FALSE(window.Dirty());
    EXPECT_EQ(f.At(5, 5), 0x8080FFu);
    EXPECT_EQ(f.At(0, 479), 0x8080FFu);  // the frame is the whole screen
    EXPECT_EQ(f.At(101, 101), 0xFFC0C0u);
    EXPECT_EQ(f.At(260, 160), 0x00FF00u);
    EXPECT_EQ(f.At(260, 210), 0x8080FFu);  // cut off by the panel
    EXPECT_EQ(f.At(310, 160), 0x8080FFu);
    EXPECT_EQ(f.At(110 + 8, 110 + 8), 0x0000FFu);
    EXPECT_EQ(f.At(110 + 9, 110 + 9), 0xFF0000u);
    EXPECT_EQ(f.At(110 + 2, 110 + 2), 0xC0C0C0u);  // masked: the holder's own colour shows
    EXPECT_EQ(f.At(110 + 35, 110 + 35), 0xC0C0C0u);

    // A drawing surface shows its persistent image instead of its colour.
    panel.Image().FillRect(0, 0, 20, 20, 0x123456);
    panel.Refresh();
    EXPECT_TRUE(window.Dirty());
    Compose();
    EXPECT_EQ(f.At(100, 100), 0x123456u);
    EXPECT_EQ(f.At(125, 100), 0xFFC0C0u);
    EXPECT_EQ(f.At(118, 118), 0x0000FFu);  // the holder on top of it

    panel.Hide();
    Compose();
    EXPECT_EQ(f.At(101, 101), 0x8080FFu);
    EXPECT_EQ(f.At(260, 160), 0x8080FFu);
}

TEST_F(ComposeTest, LaterSiblingsAndTheOpenListLieOnTop) {
    Element& low = Add(Kind::PictureBox, "Low", 0, 0, 100, 100);
    low.backColor = 0x111111;
    Element& high = Add(Kind::PictureBox, "High", 50, 50, 100, 100);
    high.backColor = 0x222222;
    Compose();
    EXPECT_EQ(frame.At(75, 75), 0x222222u);
    low.ZOrderTop();
    Compose();
    EXPECT_EQ(frame.At(75, 75), 0x111111u);
    EXPECT_EQ(frame.At(120, 120), 0x222222u);
    EXPECT_EQ(frame.At(300, 300), 0xC0C0C0u);

    Element& skill = Add(Kind::ComboBox, "Skill", 200, 200, 80, 24);
    skill.AddItem("Easy");
    skill.AddItem("Hard");
    Element& later = Add(Kind::PictureBox, "Later", 200, 224, 80, 60);
    later.backColor = 0x333333;
    Compose();
    EXPECT_EQ(frame.At(240, 230), 0x333333u);
    ASSERT_TRUE(window.ClickElement(skill));
    Compose();
    EXPECT_NE(frame.At(275, 230), 0x333333u);
    EXPECT_GT(Inked(201, 225, 78, 28, 0xFFFFFF), 20);  // both entries written on white
}

TEST_F(ComposeTest, LabelsAreTransparentUnlessOpaque) {
    Element& panel = Add(Kind::PictureBox, "Panel", 0, 0, 640, 480);
    panel.backColor = 0x80FFFF;
    Element& clear = Label("SKILL:", 10, 10, 60, 17, &panel);
    clear.foreColor = 0x0000FF;
    Element& sp = Label("100", 10, 40, 41, 17, &panel);
    sp.opaque = true;
    sp.backColor = 0xFFFFC0;
    Compose();
    EXPECT_EQ(frame.At(69, 26), 0x80FFFFu);
    EXPECT_EQ(frame.At(50, 56), 0xFFFFC0u);
    EXPECT_GT(Inked(10, 10, 60, 17, 0x80FFFF), 30);
    // The ink is the label's colour where it is solid.
    int solid = 0;
    for (int y = 10; y < 27; ++y)
        for (int x = 10; x < 70; ++x) solid += frame.At(x, y) == 0x0000FFu;
    EXPECT_GT(solid, 10);
    EXPECT_EQ(Inked(10, 27, 60, 13, 0x80FFFF), 0);  // nothing spills below the label
}

TEST_F(ComposeTest, TextWrapsAtCarriageReturnsAndAtTheLabelsWidth) {
    Element& panel = Add(Kind::PictureBox, "Panel", 0, 0, 640, 480);
    panel.backColor = 0xFFFFFF;
    Label("Keyboard keys are:\rQ accelerate\rK left", 10, 10, 400, 100, &panel);
    Label("Keyboard keys are: Q accelerate K left", 10, 150, 400, 100, &panel);
    Element& narrow = Label("Keyboard keys are: Q accelerate K left", 420, 10, 90, 200, &panel);
    Compose();
    EXPECT_EQ(Lines(10, 10, 400, 100, 0xFFFFFF), 3);
    EXPECT_EQ(Lines(10, 150, 400, 100, 0xFFFFFF), 1);
    EXPECT_GE(Lines(420, 10, 90, 200, 0xFFFFFF), 3);

    // The text follows changes of width, caption and font.
    narrow.SetWidth(400 * 15);
    Compose();
    EXPECT_EQ(Lines(420, 10, 220, 200, 0xFFFFFF), 1);
    const int before = Inked(420, 10, 220, 40, 0xFFFFFF);
    narrow.SetCaption("Keyboard");
    Compose();
    EXPECT_LT(Inked(420, 10, 220, 40, 0xFFFFFF), before / 2);
    const int small = Inked(420, 10, 220, 40, 0xFFFFFF);
    narrow.font.points = 14.25;
    narrow.Refresh();
    Compose();
    EXPECT_GT(Inked(420, 10, 220, 40, 0xFFFFFF), small * 3 / 2);
}

// However long a label's text, it is drawn at once, as the start of it that fills the label.
TEST_F(ComposeTest, ALabelWithAVeryLongTextDrawsWhatFitsAtOnce) {
    const std::string text(2000000, 'A');
    Label(text, 80, 24, 225, 25);
    Label(text.substr(0, 600), 80, 224, 225, 25);
    const auto start = std::chrono::steady_clock::now();
    Compose();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_GT(Inked(80, 24, 225, 25, 0), 200);
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 225; ++x) ASSERT_EQ(frame.At(80 + x, 24 + y), frame.At(80 + x, 224 + y)) << x << "," << y;
}

TEST_F(ComposeTest, ButtonsShowTheirStateAndGreyTheirTextWhenDisabled) {
    Element& ok = Add(Kind::CommandButton, "OK", 100, 100, 81, 25);
    ok.backColor = 0xFFC080;
    ok.SetCaption("OK");
    ok.font = {"Comic Sans MS", 12, true};
    Compose();
    EXPECT_EQ(frame.At(105, 104), 0xFFC080u);
    EXPECT_EQ(frame.At(101, 101), 0xFFFFFFu);  // lit top-left edge
    EXPECT_EQ(frame.At(180, 124), 0x000000u);  // dark bottom-right edge
    const int ink = Inked(104, 104, 73, 17, 0xFFC080);
    EXPECT_GT(ink, 20);

    window.OnMouseDown(140, 112);
    Compose();
    EXPECT_EQ(frame.At(100, 100), 0x000000u);  // pressed and focused
    EXPECT_NE(frame.At(101, 101), 0xFFFFFFu);
    window.OnMouseUp(140, 112);

    ok.SetEnabled(false);
    Compose();
    bool black = false;
    for (int y = 104; y < 121; ++y)
        for (int x = 104; x < 177; ++x) black = black || frame.At(x, y) == 0;
    EXPECT_FALSE(black);
    EXPECT_GT(Inked(104, 104, 73, 17, 0xFFC080), ink / 2);
}

TEST_F(ComposeTest, SpritesLetTheGroundShowThroughTheirWhite) {
    Element& field = Add(Kind::PictureBox, "Picture1", 0, 0, 640, 480);
    field.pixelScale = true;
    field.Image().Fill(0x000000);
    Element& car = Add(Kind::Sprite, "autic", 0, 0, 32, 32, &field);
    car.Move(288, 416, 32, 32);
    car.SetPicture(Picture::Decode(ui_test::kSmallGif, Transparency::WhiteKey));
    Compose();
    EXPECT_EQ(frame.At(288, 416), 0x000000u);
    EXPECT_EQ(frame.At(289, 416), 0xFF0000u);
    EXPECT_EQ(frame.At(290, 417), 0x00FF00u);
    EXPECT_EQ(frame.At(292, 416), 0x000000u);  // past the picture
}

TEST_F(ComposeTest, ALineIsDrawnInItsContainersPlace) {
    Element& panel = Add(Kind::PictureBox, "Picture6", 96, 112, 433, 265);
    panel.backColor = 0xFFFFC0;
    Element& line = window.Add(Kind::Line, "Line1", -1, &panel);
    line.x1Tw = 2640;
    line.y1Tw = 2640;
    line.x2Tw = 5760;
    line.y2Tw = 2640;
    Compose();
    EXPECT_EQ(frame.At(96 + 176, 112 + 176), 0u);
    EXPECT_EQ(frame.At(96 + 383, 112 + 176), 0u);
    EXPECT_EQ(frame.At(96 + 176, 112 + 177), 0xFFFFC0u);
    EXPECT_EQ(frame.At(96 + 175, 112 + 176), 0xFFFFC0u);
}

TEST_F(ComposeTest, OnlyChangesThatCanBeSeenMarkTheWindowDirty) {
    Element& panel = Add(Kind::PictureBox, "Panel", 0, 0, 100, 100);
    Element& label = Label("a", 0, 0, 50, 20, &panel);
    Compose();
    label.SetCaption("b");
    EXPECT_TRUE(window.Dirty());
    Compose();
    panel.Hide();
    EXPECT_TRUE(window.Dirty());
    Compose();
    label.SetCaption("c");
    label.SetLeft(10);
    EXPECT_FALSE(window.Dirty());
    panel.Show();
    EXPECT_TRUE(window.Dirty());
}

// --- Text.

// Cut to a height, a wrapped text keeps every line that reaches into it.
TEST(TextTest, TextCutToAHeightKeepsTheLinesThatShow) {
    const ui::Font font{"Comic Sans MS", 9, true};
    auto above = [](const ui::TextBitmap& t, int height) {
        std::vector<std::tuple<int, int, std::vector<uint8_t>>> runs;
        for (const auto& r : t.runs)
            if (r.y < height) runs.emplace_back(r.x, r.y, std::vector<uint8_t>(&t.coverage[r.offset], &t.coverage[r.offset] + r.length));
        return runs;
    };
    for (const std::string piece : {"W", "Keys are: Q K L ", "\xC5\xBE\xC4\x87 ", "line\r"}) {
        std::string text;
        while (text.size() < 4000) text += piece;
        const ui::TextBitmap whole = ui::RenderText(font, text, 225);
        for (const int height : {25, 1000}) {
            const ui::TextBitmap cut = ui::RenderText(font, text, 225, height);
            EXPECT_EQ(above(cut, height), above(whole, height)) << piece << " to " << height;
            EXPECT_TRUE(height > 25 || cut.height < whole.height / 2) << piece << " was not cut";
        }
    }
}

} // namespace
