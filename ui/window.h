#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/element.h"
#include "ui/surface.h"

namespace ui {

// Key codes as the game's handlers receive them: letters by their capital letter.
namespace vk {
constexpr int Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17, Escape = 27, Space = 32;
constexpr int Left = 37, Up = 38, Right = 39, Down = 40;
} // namespace vk

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

// A scroll bar's arrow held down steps once at the press, again after the
// delay and then at the interval, as the classic desktop's scroll bars do.
constexpr double kScrollRepeatDelayUs = 500000;
constexpr double kScrollRepeatUs = 50000;

// A window of the toolkit: owns its elements, routes input to them, runs their
// timers and composes them into a 640x480 frame.
class Window {
public:
    Window();
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    Element& form() { return *form_; }
    const Element& form() const { return *form_; }
    // The window's icon, for the title bar and task switcher; not drawn in the frame.
    PicturePtr Icon;

    // Creates an element inside `container` (the window when null), on top of its siblings.
    Element& Add(Kind kind, std::string name, int index = -1, Element* container = nullptr);
    Element* Find(const std::string& name, int index = -1);
    const std::vector<std::unique_ptr<Element>>& Elements() const { return elements_; }

    // --- Keys. With key preview on, the window's handlers see every key before the
    // focused element; otherwise keys go to the focused element alone.
    bool KeyPreview = false;
    std::function<void(int16_t keyCode, int16_t shift)> KeyDown;
    std::function<void(int16_t keyCode, int16_t shift)> KeyUp;
    // A press or an automatic repeat, and a release, with toolkit key codes.
    void OnKeyDown(int keyCode, int16_t shift = 0);
    void OnKeyUp(int keyCode, int16_t shift = 0);

    // --- Mouse, in window pixels (0..639, 0..479; -1, -1 outside the window).
    void OnMouseDown(int x, int y);
    void OnMouseUp(int x, int y);
    // A held scroll bar arrow repeats only while the pointer is over it.
    void OnMouseMove(int x, int y);
    // The element a player would hit at x, y (topmost shown one), or null.
    Element* HitTest(int x, int y);
    // A full click on an element as a player would make it: press and release on it.
    // Combo boxes and scroll bars take their own forms below.
    bool ClickElement(Element& element);
    bool SelectItem(Element& combo, int index);       // opens the list and picks an entry
    bool ClickScrollArrow(Element& scrollBar, bool up);

    Element* Focus() const { return focus_; }
    void SetFocus(Element* element);

    // --- Timers. The clock is the window's notion of now, in microseconds.
    std::function<double()> Clock;
    double NowUs() const { return Clock ? Clock() : 0.0; }
    // Fires each switched-on timer whose interval has passed since it was armed
    // (or last fired), and steps a held scroll bar arrow that is due. Returns the
    // microseconds until the next of them is due, or a negative number when none is.
    double RunDueTimers();

    // --- Drawing.
    bool Dirty() const { return dirty_; }
    void MarkDirty() { dirty_ = true; }
    // Draws every shown element into a 640x480 frame and clears the dirty mark.
    void Compose(Surface& frame);

    // Internal: kept up to date by elements.
    void Adopt(Element& parent, Element& child);
    void Orphan(Element& child);
    void ElementHidden(Element& element);

private:
    std::vector<std::unique_ptr<Element>> elements_;
    Element* form_ = nullptr;
    Element* focus_ = nullptr;
    Element* pressed_ = nullptr;     // button under a mouse press
    int pressedPart_ = 0;            // scroll bar arrow under a press: -1 up, +1 down
    bool pressedOver_ = false;       // the pointer is on that arrow
    double repeatAtUs_ = 0;          // when that arrow steps again
    Element* openList_ = nullptr;    // combo box whose list is dropped
    Element* spacePressed_ = nullptr; // button held down by the space bar
    bool dirty_ = true;
    bool CanFocus(const Element& e) const;
    void MoveFocus(bool backwards);
    void StepScrollBar(Element& bar, bool up);
    void RepeatScrollArrow(double now);
    void EndPress();
    void StepList(Element& combo, int delta);
    void CloseList();
    bool Reachable(const Element& e, int x, int y);
    bool PressAndRelease(const Element& e, int x, int y);
    struct Renderer;
    std::unique_ptr<Renderer> renderer_;
};

} // namespace ui
