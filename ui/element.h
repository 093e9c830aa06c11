#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime_error.h"
#include "ui/picture.h"
#include "ui/surface.h"

namespace ui {

class Window;

constexpr double kTwipsPerPixel = 15.0;

enum class Kind { Form, PictureBox, Label, CommandButton, ComboBox, VScrollBar, Timer, Line, Image, Sprite, Sound };

struct Font {
    std::string face = "Arial";  // "Arial" or "Comic Sans MS"; the toolkit maps them to the fonts it carries
    double points = 8.25;
    bool bold = false;
};

// The toolkit refuses an operation with the same run-time errors as the
// components do.
using platform::RuntimeError;

// One element of a window. A single type serves every kind; fields that a kind
// does not use stay at their defaults.
class Element {
public:
    Element(Window& window, Kind kind, std::string name, int index = -1);
    Element(const Element&) = delete;
    Element& operator=(const Element&) = delete;

    Window& window;
    const Kind kind;
    const std::string name;
    const int index;  // -1 unless the element belongs to a control array

    // "Picturex(1)", "Label6".
    std::string FullName() const;

    // --- Geometry. Stored in twips relative to the container; read and set in the
    // container's scale (pixels inside a pixel-scale container).
    double leftTw = 0, topTw = 0, widthTw = 0, heightTw = 0;
    bool pixelScale = false;  // this element measures its children in pixels

    double Left() const { return FromTwips(leftTw); }
    double Top() const { return FromTwips(topTw); }
    double Width() const { return FromTwips(widthTw); }
    double Height() const { return FromTwips(heightTw); }
    void SetLeft(double v);
    void SetTop(double v);
    void SetWidth(double v);
    void SetHeight(double v);
    void Move(double left, double top, double width, double height);
    // The element's rectangle in window pixels (rounded), whatever its nesting.
    int AbsLeftPx() const;
    int AbsTopPx() const;
    int WidthPx() const;
    int HeightPx() const;

    // --- Containers and z-order: children are kept bottom first.
    Element* Container() const { return container_; }
    const std::vector<Element*>& Children() const { return children_; }
    // Puts the element into another container, keeping its offset in twips, on top of its new siblings.
    void SetContainer(Element& container);
    void ZOrderTop();

    // --- Visibility and state.
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible and inside visible containers up to the window.
    bool Shown() const;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);

    // --- Text and looks.
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string text);
    Font font;
    uint32_t foreColor = 0x000000;
    uint32_t backColor = 0xC0C0C0;
    bool opaque = true;  // labels: draw the back colour; others always do
    int borderStyle = 0; // 0 none, 1 fixed single
    void SetBorderStyle(int style);

    // --- Pictures. Picture boxes, images and sprites hold one picture; drawing
    // surfaces also keep a persistent image that the game paints into.
    const PicturePtr& GetPicture() const { return picture_; }
    void SetPicture(PicturePtr picture);
    Surface& Image();  // the persistent image; created at the element's size on first use
    const Surface* ImageIfAny() const { return image_.get(); }
    void Cls();  // clears the persistent image to the back colour
    void PaintPicture(const Picture& picture, double x, double y, double w, double h);
    void Refresh();  // the window shows the persistent image as it now is

    // --- Combo box.
    const std::vector<std::string>& Items() const { return items_; }
    void Clear();
    void AddItem(std::string item);
    int ListIndex() const { return listIndex_; }
    void SetListIndex(int i);  // raises Click when the selection changes; -1..count-1 else error 380
    std::string Text() const;  // the selected entry, or ""
    bool dropped = false;      // the drop-down list is open

    // --- Vertical scroll bar.
    int Min = 0, Max = 32767, SmallChange = 1;
    int Value() const { return value_; }
    // Refuses a value outside Min..Max with error 380 and keeps its own; raises
    // Change only when the value really changes.
    void SetValue(int v);
    bool TrySetValue(int v);

    // --- Timer.
    int Interval = 0;
    double armedAtUs = 0;  // window clock when the timer was last switched on

    // --- Line (twips, in the container).
    double x1Tw = 0, y1Tw = 0, x2Tw = 0, y2Tw = 0;

    // --- Events.
    std::function<void()> Click;
    std::function<void()> Change;
    std::function<void()> TimerTick;

    // Whatever a component attaches (a sound component's player, for instance).
    std::shared_ptr<void> component;

private:
    friend class Window;  // keeps the container links of its elements

    double FromTwips(double tw) const;
    double ToTwips(double v) const;
    void Changed();

    Element* container_ = nullptr;
    std::vector<Element*> children_;
    bool visible_ = true;
    bool enabled_ = true;
    std::string caption_;
    PicturePtr picture_;
    std::unique_ptr<Surface> image_;
    std::vector<std::string> items_;
    int listIndex_ = -1;
    int value_ = 0;
};

} // namespace ui
