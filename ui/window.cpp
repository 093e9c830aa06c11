#include "ui/window.h"

#include <algorithm>

#include "ui/window_renderer.h"

namespace ui {

namespace {

using draw::Rect;

constexpr Rect kScreen{0, 0, kScreenWidth, kScreenHeight};
constexpr int16_t kShiftMask = 1;

bool IsWithin(const Element* e, const Element& ancestor) {
    for (; e; e = e->Container())
        if (e == &ancestor) return true;
    return false;
}

// A disabled container takes its children out of reach, as in the classic toolkits.
bool EnabledUpwards(const Element& e) {
    for (const Element* p = &e; p; p = p->Container())
        if (!p->Enabled()) return false;
    return true;
}

bool TakesFocus(Kind k) { return k == Kind::CommandButton || k == Kind::ComboBox || k == Kind::VScrollBar; }
bool TakesMouse(Kind k) { return k != Kind::Timer && k != Kind::Sound && k != Kind::Line; }

Element* HitIn(const Element& e, int x, int y, const Rect& clip) {
    const auto& children = e.Children();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        Element* c = *it;
        if (!c->Visible() || !TakesMouse(c->kind)) continue;
        const Rect r = Bounds(*c).Intersect(clip);
        if (!r.Contains(x, y)) continue;
        Element* deeper = HitIn(*c, x, y, r);
        return deeper ? deeper : c;
    }
    return nullptr;
}

// The arrow of a scroll bar at window row y: -1 the upper one, +1 the lower.
int ArrowAt(const Element& bar, int y) { return y - bar.AbsTopPx() < bar.HeightPx() / 2 ? -1 : 1; }

// The part of an element that its containers and the screen let show.
Rect VisibleRect(const Element& e) {
    Rect r = Bounds(e).Intersect(kScreen);
    for (const Element* c = e.Container(); c && c->Container(); c = c->Container())
        r = r.Intersect(Bounds(*c));
    return r;
}

} // namespace

Window::Window() : renderer_(std::make_unique<Renderer>()) {
    elements_.push_back(std::make_unique<Element>(*this, Kind::Form, "Form1"));
    form_ = elements_.back().get();
    form_->widthTw = 9600;
    form_->heightTw = 7170;
}

Window::~Window() = default;

Element& Window::Add(Kind kind, std::string name, int index, Element* container) {
    elements_.push_back(std::make_unique<Element>(*this, kind, std::move(name), index));
    Element& e = *elements_.back();
    if (kind == Kind::Timer) e.armedAtUs = NowUs();
    Adopt(container ? *container : *form_, e);
    MarkDirty();
    return e;
}

Element* Window::Find(const std::string& name, int index) {
    for (const auto& e : elements_)
        if (e->name == name && e->index == index) return e.get();
    return nullptr;
}

void Window::Adopt(Element& parent, Element& child) {
    if (IsWithin(&parent, child)) throw RuntimeError{5};
    Orphan(child);
    parent.children_.push_back(&child);
    child.container_ = &parent;
    if (!child.Shown()) ElementHidden(child);
}

void Window::Orphan(Element& child) {
    if (Element* old = child.container_) {
        auto& siblings = old->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), &child), siblings.end());
    }
    child.container_ = nullptr;
}

void Window::ElementHidden(Element& element) {
    if (focus_ && IsWithin(focus_, element)) {
        focus_ = nullptr;
        MarkDirty();
    }
    if (pressed_ && IsWithin(pressed_, element)) {
        EndPress();
        MarkDirty();
    }
    if (spacePressed_ && IsWithin(spacePressed_, element)) spacePressed_ = nullptr;
    if (openList_ && IsWithin(openList_, element)) CloseList();
}

bool Window::CanFocus(const Element& e) const {
    return TakesFocus(e.kind) && e.Shown() && EnabledUpwards(e);
}

void Window::SetFocus(Element* element) {
    if (element == focus_ || (element && !CanFocus(*element))) return;
    if (openList_ && openList_ != element) CloseList();
    spacePressed_ = nullptr;
    focus_ = element;
    MarkDirty();
}

void Window::MoveFocus(bool backwards) {
    std::vector<Element*> order;
    for (const auto& e : elements_)
        if (CanFocus(*e)) order.push_back(e.get());
    if (order.empty()) return;
    const auto at = std::find(order.begin(), order.end(), focus_);
    const auto n = static_cast<std::ptrdiff_t>(order.size());
    std::ptrdiff_t i = at - order.begin();
    if (at == order.end())
        i = backwards ? n - 1 : 0;
    else
        i = (i + (backwards ? n - 1 : 1)) % n;
    SetFocus(order[static_cast<size_t>(i)]);
}

void Window::CloseList() {
    if (!openList_) return;
    openList_->dropped = false;
    openList_ = nullptr;
    MarkDirty();
}

void Window::StepScrollBar(Element& bar, bool up) {
    // The up arrow always moves towards Min, whichever end Min is.
    const int lo = std::min(bar.Min, bar.Max), hi = std::max(bar.Min, bar.Max);
    const int towardsMin = bar.Min <= bar.Max ? -1 : 1;
    const int step = (up ? towardsMin : -towardsMin) * bar.SmallChange;
    const int target = std::clamp(bar.Value() + step, lo, hi);
    if (target != bar.Value()) bar.SetValue(target);
}

void Window::StepList(Element& combo, int delta) {
    const int count = static_cast<int>(combo.Items().size());
    if (count == 0) return;
    const int target = combo.ListIndex() < 0 ? 0 : std::clamp(combo.ListIndex() + delta, 0, count - 1);
    combo.SetListIndex(target);
}

// --- Keys.

void Window::OnKeyDown(int keyCode, int16_t shift) {
    if (KeyPreview && KeyDown) KeyDown(static_cast<int16_t>(keyCode), shift);
    if (keyCode == vk::Tab) {
        CloseList();
        MoveFocus((shift & kShiftMask) != 0);
        return;
    }
    Element* f = focus_;
    if (!f || !CanFocus(*f)) return;
    const bool back = keyCode == vk::Up || keyCode == vk::Left;
    const bool forward = keyCode == vk::Down || keyCode == vk::Right;
    switch (f->kind) {
    case Kind::CommandButton:
        if (keyCode == vk::Return) {
            if (f->Click) f->Click();
        } else if (keyCode == vk::Space && spacePressed_ != f) {
            // The click comes with the release, so that holding the bar clicks once.
            spacePressed_ = f;
            MarkDirty();
        }
        break;
    case Kind::ComboBox:
        if (back || forward)
            StepList(*f, forward ? 1 : -1);
        else if (keyCode == vk::Return || keyCode == vk::Escape)
            CloseList();
        break;
    case Kind::VScrollBar:
        if (back || forward) StepScrollBar(*f, back);
        break;
    default: break;
    }
}

void Window::OnKeyUp(int keyCode, int16_t shift) {
    if (KeyPreview && KeyUp) KeyUp(static_cast<int16_t>(keyCode), shift);
    if (keyCode != vk::Space || !spacePressed_) return;
    Element* button = spacePressed_;
    spacePressed_ = nullptr;
    MarkDirty();
    if (focus_ == button && CanFocus(*button) && button->Click) button->Click();
}

// --- Mouse.

Element* Window::HitTest(int x, int y) {
    if (openList_ && Renderer::ListRect(*openList_).Contains(x, y)) return openList_;
    if (!kScreen.Contains(x, y)) return nullptr;
    return HitIn(*form_, x, y, kScreen);
}

void Window::OnMouseDown(int x, int y) {
    if (openList_) {
        // An open list takes the next press wherever it lands: on an entry it
        // chooses it, anywhere else it only closes.
        Element& combo = *openList_;
        int entry = 1;
        const Rect list = Renderer::ListRect(combo, &entry);
        CloseList();
        const int count = static_cast<int>(combo.Items().size());
        if (list.Contains(x, y) && count > 0) combo.SetListIndex(std::clamp((y - list.y0 - 1) / entry, 0, count - 1));
        return;
    }
    Element* hit = HitTest(x, y);
    if (!hit || !EnabledUpwards(*hit)) return;
    switch (hit->kind) {
    case Kind::CommandButton:
        SetFocus(hit);
        pressed_ = hit;
        MarkDirty();
        break;
    case Kind::ComboBox:
        SetFocus(hit);
        hit->dropped = true;
        openList_ = hit;
        MarkDirty();
        break;
    case Kind::VScrollBar:
        SetFocus(hit);
        pressed_ = hit;
        pressedPart_ = ArrowAt(*hit, y);
        pressedOver_ = true;
        repeatAtUs_ = NowUs() + kScrollRepeatDelayUs;
        MarkDirty();
        StepScrollBar(*hit, pressedPart_ < 0);
        break;
    default: break;
    }
}

void Window::EndPress() {
    pressed_ = nullptr;
    pressedPart_ = 0;
    pressedOver_ = false;
}

void Window::OnMouseUp(int x, int y) {
    Element* button = pressed_;
    EndPress();
    if (!button) return;
    MarkDirty();
    if (button->kind == Kind::CommandButton && HitTest(x, y) == button && CanFocus(*button) && button->Click)
        button->Click();
}

void Window::OnMouseMove(int x, int y) {
    if (!pressed_ || pressed_->kind != Kind::VScrollBar) return;
    const bool over = HitTest(x, y) == pressed_ && ArrowAt(*pressed_, y) == pressedPart_;
    if (over == pressedOver_) return;
    // Off its arrow the press lets the arrow up and holds the repeat; back on, both resume.
    pressedOver_ = over;
    MarkDirty();
}

bool Window::Reachable(const Element& e, int x, int y) { return e.Shown() && EnabledUpwards(e) && HitTest(x, y) == &e; }

bool Window::ClickElement(Element& element) {
    const Rect r = VisibleRect(element);
    if (r.Empty()) return false;
    const int x = (r.x0 + r.x1 - 1) / 2, y = (r.y0 + r.y1 - 1) / 2;
    return PressAndRelease(element, x, y);
}

bool Window::PressAndRelease(const Element& element, int x, int y) {
    if (!Reachable(element, x, y)) return false;
    // A list that is open elsewhere swallows the press, as it would the player's.
    const bool reaches = !openList_ || openList_ == &element;
    OnMouseDown(x, y);
    OnMouseUp(x, y);
    return reaches;
}

bool Window::SelectItem(Element& combo, int index) {
    if (combo.kind != Kind::ComboBox || index < 0 || index >= static_cast<int>(combo.Items().size())) return false;
    if (!combo.dropped && !ClickElement(combo)) return false;
    if (!combo.dropped) return false;
    int entry = 1;
    const Rect list = Renderer::ListRect(combo, &entry);
    const int x = (list.x0 + list.x1) / 2, y = list.y0 + 1 + index * entry + entry / 2;
    if (!kScreen.Contains(x, y)) return false;
    OnMouseDown(x, y);
    OnMouseUp(x, y);
    return true;
}

bool Window::ClickScrollArrow(Element& scrollBar, bool up) {
    if (scrollBar.kind != Kind::VScrollBar) return false;
    const Rect b = Bounds(scrollBar);
    const int half = b.Height() / 2;
    const int x = (b.x0 + b.x1 - 1) / 2;
    const int y = up ? b.y0 + half / 2 : b.y0 + half + (b.Height() - half) / 2;
    return VisibleRect(scrollBar).Contains(x, y) && PressAndRelease(scrollBar, x, y);
}

// --- Timers.

void Window::RepeatScrollArrow(double now) {
    if (!pressed_ || pressed_->kind != Kind::VScrollBar || now < repeatAtUs_) return;
    // On the beat set by the press; a late look steps once, not in a burst.
    repeatAtUs_ += kScrollRepeatUs;
    if (repeatAtUs_ <= now) repeatAtUs_ = now + kScrollRepeatUs;
    if (pressedOver_) StepScrollBar(*pressed_, pressedPart_ < 0);
}

double Window::RunDueTimers() {
    double now = NowUs();
    // Before the timers: a tick may run a long loop, inside which this is called again.
    RepeatScrollArrow(now);
    now = NowUs();
    // By index: a tick handler may add elements.
    for (size_t i = 0; i < elements_.size(); ++i) {
        Element& t = *elements_[i];
        if (t.kind != Kind::Timer || !t.Enabled() || t.Interval <= 0) continue;
        if (now - t.armedAtUs < t.Interval * 1000.0) continue;
        // Re-armed before the handler runs: it may stay inside for a long nested loop.
        t.armedAtUs = now;
        if (auto tick = t.TimerTick) tick();
        now = NowUs();
    }
    double next = -1;
    for (const auto& e : elements_) {
        if (e->kind != Kind::Timer || !e->Enabled() || e->Interval <= 0) continue;
        const double left = std::max(0.0, e->armedAtUs + e->Interval * 1000.0 - now);
        next = next < 0 ? left : std::min(next, left);
    }
    if (pressed_ && pressed_->kind == Kind::VScrollBar) {
        const double left = std::max(0.0, repeatAtUs_ - now);
        next = next < 0 ? left : std::min(next, left);
    }
    return next;
}

} // namespace ui
