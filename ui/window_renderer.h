#pragma once
#include <map>
#include <string>
#include <utility>

#include "ui/draw.h"
#include "ui/text_bitmap.h"
#include "ui/window.h"

namespace ui {

// The element's rectangle in frame pixels.
inline draw::Rect Bounds(const Element& e) {
    return draw::Rect::Sized(e.AbsLeftPx(), e.AbsTopPx(), e.WidthPx(), e.HeightPx());
}

// Draws the window's elements and keeps their rendered texts, so that composing
// an unchanged window renders no text again.
struct Window::Renderer {
    // `maxHeight` as RenderText takes it.
    const TextBitmap& Text(const Element& e, int slot, const std::string& text, const Font& font, int wrapWidth,
                           int maxHeight = 0);

    void Draw(const Window& w, Surface& f, const Element& e, const draw::Rect& clip);
    void DrawList(Surface& f, const Element& combo);

    // Where the dropped list of a combo box lies, and the height of one entry.
    static draw::Rect ListRect(const Element& combo, int* entryHeight = nullptr);

private:
    void DrawLabel(Surface& f, const Element& e, const draw::Rect& r, const draw::Rect& clip);
    void DrawButton(const Window& w, Surface& f, const Element& e, const draw::Rect& r, const draw::Rect& clip);
    void DrawCombo(const Window& w, Surface& f, const Element& e, const draw::Rect& r, const draw::Rect& clip);
    void DrawScrollBar(const Window& w, Surface& f, const Element& e, const draw::Rect& r, const draw::Rect& clip);
    void DrawCaption(Surface& f, const draw::Rect& clip, const TextBitmap& text, int x, int y, uint32_t rgb,
                     bool enabled);

    struct CachedText {
        std::string text;
        Font font;
        int wrapWidth = 0;
        int maxHeight = 0;
        TextBitmap bitmap;
    };
    std::map<std::pair<const Element*, int>, CachedText> texts_;
};

} // namespace ui
