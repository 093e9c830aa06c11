#include "ui/window_renderer.h"

#include <algorithm>

namespace ui {

namespace {

using draw::Rect;

constexpr uint32_t kFace = 0xC0C0C0, kLight = 0xDFDFDF, kHighlight = 0xFFFFFF, kShadow = 0x808080,
                   kDark = 0x000000, kSelection = 0x000080, kWhite = 0xFFFFFF, kGreyText = 0x808080;
constexpr int kComboButtonWidth = 16;

Rect Inset(const Rect& r, int d) { return {r.x0 + d, r.y0 + d, r.x1 - d, r.y1 - d}; }

bool SameFont(const Font& a, const Font& b) { return a.face == b.face && a.points == b.points && a.bold == b.bold; }

void Sunken(Surface& f, const Rect& clip, const Rect& r) {
    draw::Edge(f, clip, r, kShadow, kHighlight);
    draw::Edge(f, clip, Inset(r, 1), kDark, kLight);
}

void Raised(Surface& f, const Rect& clip, const Rect& r) {
    draw::Edge(f, clip, r, kLight, kDark);
    draw::Edge(f, clip, Inset(r, 1), kHighlight, kShadow);
}

// What a container shows of its children within `clip`: those below the
// topmost picture box that hides all of the clip cannot be seen, nor can the
// container's own background.
struct Seen {
    size_t first = 0;
    bool covered = false;
};

Seen SeenChildren(const Element& e, const Rect& clip) {
    const auto& children = e.Children();
    for (size_t i = children.size(); i-- > 0;) {
        const Element& c = *children[i];
        if (c.kind != Kind::PictureBox || !c.Visible()) continue;
        const Rect r = Bounds(c).Intersect(clip);
        if (r.x0 == clip.x0 && r.y0 == clip.y0 && r.x1 == clip.x1 && r.y1 == clip.y1) return {i, true};
    }
    return {};
}

} // namespace

Rect Window::Renderer::ListRect(const Element& combo, int* entryHeight) {
    const int h = std::max(1, LineHeight(combo.font));
    if (entryHeight) *entryHeight = h;
    const Rect box = Bounds(combo);
    const int listHeight = static_cast<int>(combo.Items().size()) * h + 2;
    // Like the classic drop-down, open upwards when the list would leave the screen.
    const int top = box.y1 + listHeight > kScreenHeight ? box.y0 - listHeight : box.y1;
    return Rect::Sized(box.x0, top, box.Width(), listHeight);
}

const TextBitmap& Window::Renderer::Text(const Element& e, int slot, const std::string& text, const Font& font,
                                         int wrapWidth, int maxHeight) {
    auto [it, added] = texts_.try_emplace({&e, slot});
    CachedText& c = it->second;
    if (added || c.text != text || c.wrapWidth != wrapWidth || c.maxHeight != maxHeight || !SameFont(c.font, font)) {
        c.text = text;
        c.font = font;
        c.wrapWidth = wrapWidth;
        c.maxHeight = maxHeight;
        c.bitmap = RenderText(font, text, wrapWidth, maxHeight);
    }
    return c.bitmap;
}

void Window::Renderer::DrawCaption(Surface& f, const Rect& clip, const TextBitmap& text, int x, int y, uint32_t rgb,
                                   bool enabled) {
    if (enabled) {
        draw::Text(f, clip, text, x, y, rgb);
    } else {
        draw::Text(f, clip, text, x + 1, y + 1, kHighlight);
        draw::Text(f, clip, text, x, y, kGreyText);
    }
}

void Window::Renderer::Draw(const Window& w, Surface& f, const Element& e, const Rect& clip) {
    if (!e.Visible()) return;
    const Rect r = Bounds(e);
    const Rect inner = r.Intersect(clip);
    Seen seen;
    switch (e.kind) {
    case Kind::Form:
    case Kind::PictureBox:
        if (inner.Empty()) return;
        seen = SeenChildren(e, inner);
        if (seen.covered) break;
        if (const Surface* image = e.ImageIfAny()) {
            if (image->Width() < r.Width() || image->Height() < r.Height()) draw::Fill(f, inner, r, e.backColor);
            draw::Image(f, inner, *image, r.x0, r.y0);
        } else {
            draw::Fill(f, inner, r, e.backColor);
        }
        if (e.GetPicture()) draw::Picture(f, inner, *e.GetPicture(), r.x0, r.y0);
        break;
    case Kind::Label: DrawLabel(f, e, r, inner); break;
    case Kind::CommandButton: DrawButton(w, f, e, r, inner); break;
    case Kind::ComboBox: DrawCombo(w, f, e, r, inner); break;
    case Kind::VScrollBar: DrawScrollBar(w, f, e, r, inner); break;
    case Kind::Image:
    case Kind::Sprite:
        if (e.GetPicture()) draw::Picture(f, inner, *e.GetPicture(), r.x0, r.y0);
        break;
    case Kind::Line: {
        const Element* c = e.Container();
        const int ox = c ? c->AbsLeftPx() : 0, oy = c ? c->AbsTopPx() : 0;
        auto px = [](double tw) { return static_cast<int>(tw / kTwipsPerPixel + 0.5); };
        draw::Line(f, clip, ox + px(e.x1Tw), oy + px(e.y1Tw), ox + px(e.x2Tw), oy + px(e.y2Tw), e.foreColor);
        return;
    }
    case Kind::Timer:
    case Kind::Sound: return;
    }
    if (inner.Empty()) return;
    const auto& children = e.Children();
    for (size_t i = seen.first; i < children.size(); ++i) Draw(w, f, *children[i], inner);
    if (e.borderStyle == 1 && e.kind == Kind::PictureBox) Sunken(f, inner, r);
}

void Window::Renderer::DrawLabel(Surface& f, const Element& e, const Rect& r, const Rect& clip) {
    if (clip.Empty()) return;
    if (e.opaque) draw::Fill(f, clip, r, e.backColor);
    const int inset = e.borderStyle == 1 ? 2 : 0;
    const Rect area = Inset(r, inset);
    if (inset) Sunken(f, clip, r);
    if (area.Width() <= 0) return;
    // A label shows no more of its text than fits its height.
    const TextBitmap& text = Text(e, 0, e.Caption(), e.font, area.Width(), area.Height());
    DrawCaption(f, area.Intersect(clip), text, area.x0, area.y0, e.foreColor, e.Enabled());
}

void Window::Renderer::DrawButton(const Window& w, Surface& f, const Element& e, const Rect& r, const Rect& clip) {
    if (clip.Empty()) return;
    const bool focused = w.focus_ == &e;
    const bool down = w.pressed_ == &e || w.spacePressed_ == &e;
    draw::Fill(f, clip, r, e.backColor);
    Rect edge = r;
    if (focused || down) {
        draw::Frame(f, clip, edge, kDark);
        edge = Inset(edge, 1);
    }
    if (down)
        draw::Frame(f, clip, edge, kShadow);
    else
        Raised(f, clip, edge);
    const TextBitmap& text = Text(e, 0, e.Caption(), e.font, 0);
    const int shift = down ? 1 : 0;
    const int x = r.x0 + (r.Width() - text.width) / 2 + shift;
    const int y = r.y0 + (r.Height() - text.height) / 2 + shift;
    DrawCaption(f, Inset(r, 2).Intersect(clip), text, x, y, e.foreColor, e.Enabled());
    if (focused) draw::DottedFrame(f, clip, Inset(r, 4), kDark);
}

void Window::Renderer::DrawCombo(const Window& w, Surface& f, const Element& e, const Rect& r, const Rect& clip) {
    if (clip.Empty()) return;
    Sunken(f, clip, r);
    const Rect field = Inset(r, 2);
    draw::Fill(f, clip, field, e.Enabled() ? e.backColor : kFace);

    const Rect button{std::max(field.x0, field.x1 - kComboButtonWidth), field.y0, field.x1, field.y1};
    draw::Fill(f, clip, button, kFace);
    const int shift = e.dropped ? 1 : 0;
    if (e.dropped)
        draw::Frame(f, clip, button, kShadow);
    else
        Raised(f, clip, button);
    const int arrowX = (button.x0 + button.x1) / 2 + shift - 1;
    const int arrowY = (button.y0 + button.y1) / 2 - 2 + shift;
    if (e.Enabled()) {
        draw::Arrow(f, clip, arrowX, arrowY, 4, false, kDark);
    } else {
        draw::Arrow(f, clip, arrowX + 1, arrowY + 1, 4, false, kHighlight);
        draw::Arrow(f, clip, arrowX, arrowY, 4, false, kGreyText);
    }

    const Rect textArea = Rect{field.x0, field.y0, button.x0, field.y1}.Intersect(clip);
    const TextBitmap& text = Text(e, 0, e.Text(), e.font, 0);
    const bool selected = w.focus_ == &e && !e.dropped;
    uint32_t colour = e.foreColor;
    if (selected) {
        draw::Fill(f, textArea, Inset(Rect{field.x0, field.y0, button.x0, field.y1}, 1), kSelection);
        colour = kWhite;
    }
    DrawCaption(f, textArea, text, field.x0 + 2, field.y0 + (field.Height() - text.height) / 2, colour, e.Enabled());
}

void Window::Renderer::DrawList(Surface& f, const Element& combo) {
    int entry = 0;
    const Rect list = ListRect(combo, &entry);
    const Rect screen{0, 0, kScreenWidth, kScreenHeight};
    const Rect clip = list.Intersect(screen);
    draw::Fill(f, clip, list, combo.backColor);
    draw::Frame(f, clip, list, kDark);
    const auto& items = combo.Items();
    for (size_t i = 0; i < items.size(); ++i) {
        const Rect row = Rect::Sized(list.x0 + 1, list.y0 + 1 + static_cast<int>(i) * entry, list.Width() - 2, entry);
        const bool selected = static_cast<int>(i) == combo.ListIndex();
        if (selected) draw::Fill(f, clip, row, kSelection);
        const TextBitmap& text = Text(combo, 1 + static_cast<int>(i), items[i], combo.font, 0);
        draw::Text(f, row.Intersect(clip), text, row.x0 + 2, row.y0, selected ? kWhite : combo.foreColor);
    }
}

void Window::Renderer::DrawScrollBar(const Window& w, Surface& f, const Element& e, const Rect& r,
                                     const Rect& clip) {
    if (clip.Empty()) return;
    const int half = r.Height() / 2;
    const Rect parts[2] = {{r.x0, r.y0, r.x1, r.y0 + half}, {r.x0, r.y0 + half, r.x1, r.y1}};
    for (int i = 0; i < 2; ++i) {
        const Rect& part = parts[i];
        const bool up = i == 0;
        const bool down = w.pressed_ == &e && w.pressedPart_ == (up ? -1 : 1) && w.pressedOver_;
        draw::Fill(f, clip, part, kFace);
        if (down)
            draw::Frame(f, clip, part, kShadow);
        else
            Raised(f, clip, part);
        const int size = std::clamp(part.Height() - 4, 1, 4);
        const int shift = down ? 1 : 0;
        const int cx = (part.x0 + part.x1) / 2 + shift;
        const int top = part.y0 + (part.Height() - size) / 2 + shift;
        if (e.Enabled()) {
            draw::Arrow(f, clip, cx, top, size, up, kDark);
        } else {
            draw::Arrow(f, clip, cx + 1, top + 1, size, up, kHighlight);
            draw::Arrow(f, clip, cx, top, size, up, kGreyText);
        }
    }
}

void Window::Compose(Surface& frame) {
    if (frame.Width() != kScreenWidth || frame.Height() != kScreenHeight)
        frame.Resize(kScreenWidth, kScreenHeight, 0);
    // The frame is the whole screen: children that reach past the form's own
    // client area (the playfield and the intro panel do) are still seen.
    const Rect screen{0, 0, kScreenWidth, kScreenHeight};
    const auto& children = form_->Children();
    const Seen seen = SeenChildren(*form_, screen);
    if (!seen.covered) draw::Fill(frame, screen, screen, form_->backColor);
    for (size_t i = seen.first; i < children.size(); ++i) renderer_->Draw(*this, frame, *children[i], screen);
    if (openList_ && openList_->Shown()) renderer_->DrawList(frame, *openList_);
    dirty_ = false;
}

} // namespace ui
