#include "ui/element.h"

#include <cmath>

#include "ui/window.h"

namespace ui {

namespace {
int RoundPx(double twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }
} // namespace

Element::Element(Window& w, Kind k, std::string n, int i) : window(w), kind(k), name(std::move(n)), index(i) {}

std::string Element::FullName() const {
    return index < 0 ? name : name + "(" + std::to_string(index) + ")";
}

double Element::FromTwips(double tw) const {
    return container_ && container_->pixelScale ? tw / kTwipsPerPixel : tw;
}

double Element::ToTwips(double v) const {
    return container_ && container_->pixelScale ? v * kTwipsPerPixel : v;
}

void Element::Changed() {
    if (Shown()) window.MarkDirty();
}

void Element::SetLeft(double v) { leftTw = ToTwips(v); Changed(); }
void Element::SetTop(double v) { topTw = ToTwips(v); Changed(); }

void Element::SetWidth(double v) {
    widthTw = ToTwips(v);
    if (image_ && image_->Width() != WidthPx()) image_->Resize(WidthPx(), HeightPx(), backColor);
    Changed();
}

void Element::SetHeight(double v) {
    heightTw = ToTwips(v);
    if (image_ && image_->Height() != HeightPx()) image_->Resize(WidthPx(), HeightPx(), backColor);
    Changed();
}

void Element::Move(double left, double top, double width, double height) {
    leftTw = ToTwips(left);
    topTw = ToTwips(top);
    SetWidth(width);
    SetHeight(height);
}

int Element::AbsLeftPx() const {
    double tw = 0;
    for (const Element* e = this; e && e->container_; e = e->container_) tw += e->leftTw;
    return RoundPx(tw);
}

int Element::AbsTopPx() const {
    double tw = 0;
    for (const Element* e = this; e && e->container_; e = e->container_) tw += e->topTw;
    return RoundPx(tw);
}

int Element::WidthPx() const { return RoundPx(widthTw); }
int Element::HeightPx() const { return RoundPx(heightTw); }

void Element::SetContainer(Element& c) {
    const bool wasShown = Shown();
    window.Adopt(c, *this);
    if (wasShown || Shown()) window.MarkDirty();
}

void Element::ZOrderTop() {
    if (container_) window.Adopt(*container_, *this);
    Changed();
}

void Element::SetVisible(bool v) {
    if (visible_ == v) return;
    const bool wasShown = Shown();
    visible_ = v;
    if (!v) window.ElementHidden(*this);
    if (wasShown || Shown()) window.MarkDirty();
}

bool Element::Shown() const {
    for (const Element* e = this; e; e = e->container_)
        if (!e->visible_) return false;
    return true;
}

void Element::SetEnabled(bool v) {
    if (kind == Kind::Timer && v && !enabled_) armedAtUs = window.NowUs();
    enabled_ = v;
    if (!v) window.ElementHidden(*this);
    Changed();
}

void Element::SetCaption(std::string text) {
    if (text == caption_) return;
    caption_ = std::move(text);
    Changed();
}

void Element::SetBorderStyle(int style) {
    borderStyle = style;
    Changed();
}

void Element::SetPicture(PicturePtr picture) {
    picture_ = std::move(picture);
    Changed();
}

Surface& Element::Image() {
    if (!image_) image_ = std::make_unique<Surface>(WidthPx(), HeightPx(), backColor);
    return *image_;
}

void Element::Cls() { Image().Fill(backColor); Changed(); }

void Element::PaintPicture(const Picture& picture, double x, double y, double w, double h) {
    Image().Paint(picture, static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)),
                  static_cast<int>(std::lround(w)), static_cast<int>(std::lround(h)));
}

void Element::Refresh() { Changed(); }

void Element::Clear() {
    items_.clear();
    listIndex_ = -1;
    Changed();
}

void Element::AddItem(std::string item) {
    items_.push_back(std::move(item));
    Changed();
}

void Element::SetListIndex(int i) {
    if (i < -1 || i >= static_cast<int>(items_.size())) throw RuntimeError{380};
    if (i == listIndex_) return;
    listIndex_ = i;
    Changed();
    if (Click) Click();
}

std::string Element::Text() const {
    return listIndex_ >= 0 && listIndex_ < static_cast<int>(items_.size()) ? items_[static_cast<size_t>(listIndex_)]
                                                                            : std::string();
}

void Element::SetValue(int v) {
    if (v < std::min(Min, Max) || v > std::max(Min, Max)) throw RuntimeError{380};
    if (v == value_) return;
    value_ = v;
    Changed();
    if (Change) Change();
}

bool Element::TrySetValue(int v) {
    try {
        SetValue(v);
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

} // namespace ui
