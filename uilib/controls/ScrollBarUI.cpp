#include "ScrollBarUI.h"

#include "ContainerUI.h"
#include "PaintManagerUI.h"
#include "UiRender.h"
#include "UiValueParser.h"

#include <algorithm>
#include <cwchar>

namespace Orvel {

namespace {

constexpr int kDefaultThickness = 16;
constexpr DWORD kOutlineColor = 0xFFC6C7D2;
constexpr int kOutlineWidth = 2;

// Markup names of the images: a part's prefix, then a look's suffix, in
// the order of CScrollBarUI::Part and CScrollBarUI::Look.
const wchar_t* const kPartPrefixes[] = {L"bk", L"button1", L"button2", L"thumb", L"rail"};
const wchar_t* const kLookSuffixes[] = {L"normalimage", L"hotimage", L"pushedimage", L"disabledimage"};

bool Inside(const RECT& rect, POINT point) {
    return PtInRect(&rect, point) != FALSE;
}

// The part and look an image attribute names; false for any other name.
bool ParseImageName(const wchar_t* name, int* part, int* look) {
    for (int p = 0; p < 5; ++p) {
        const size_t length = wcslen(kPartPrefixes[p]);
        if (_wcsnicmp(name, kPartPrefixes[p], length) != 0) {
            continue;
        }
        for (int l = 0; l < 4; ++l) {
            if (Is(name + length, kLookSuffixes[l])) {
                *part = p;
                *look = l;
                return true;
            }
        }
    }
    return false;
}

}  // namespace

CScrollBarUI::CScrollBarUI()
    : horizontal_(false), range_(100), position_(0), lineSize_(8), owner_(nullptr), dragStartPoint_{0, 0},
      dragStartPosition_(0), dragOffset_(0), repeatTicks_(0), showButton1_(true), button1State_(0),
      showButton2_(true), button2State_(0), thumbState_(0) {
    fixedWidth_ = kDefaultThickness;
}

const wchar_t* CScrollBarUI::ClassName() const {
    return L"ScrollBarUI";
}

void* CScrollBarUI::CastTo(const wchar_t* name) {
    if (Is(name, L"ScrollBar")) {
        return this;
    }
    return CControlUI::CastTo(name);
}

void CScrollBarUI::SetVisible(bool visible) {
    if (visible_ == visible) {
        return;
    }
    visible_ = visible;
    focused_ = false;
}

void CScrollBarUI::SetEnabled(bool enabled) {
    CControlUI::SetEnabled(enabled);
    if (!IsEnabled()) {
        button1State_ = 0;
        button2State_ = 0;
        thumbState_ = 0;
    }
}

void CScrollBarUI::TakeFocus() {
    if (owner_ != nullptr) {
        owner_->TakeFocus();
    } else {
        CControlUI::TakeFocus();
    }
}

void CScrollBarUI::SetHorizontal(bool horizontal) {
    if (horizontal_ == horizontal) {
        return;
    }
    horizontal_ = horizontal;
    if (horizontal && fixedHeight_ == 0) {
        fixedWidth_ = 0;
        fixedHeight_ = kDefaultThickness;
    } else if (!horizontal && fixedWidth_ == 0) {
        fixedWidth_ = kDefaultThickness;
        fixedHeight_ = 0;
    }
    if (owner_ != nullptr) {
        owner_->RequestUpdate();
    } else {
        RequestParentUpdate();
    }
}

void CScrollBarUI::SetScrollRange(int range) {
    if (range_ == range) {
        return;
    }
    range_ = std::max(range, 0);
    position_ = std::min(position_, range_);
    Place(itemRect_);
}

void CScrollBarUI::SetScrollPos(int position) {
    if (position_ == position) {
        return;
    }
    position_ = std::min(std::max(position, 0), range_);
    Place(itemRect_);
}

void CScrollBarUI::SetShowButton1(bool show) {
    showButton1_ = show;
    Place(itemRect_);
}

void CScrollBarUI::SetShowButton2(bool show) {
    showButton2_ = show;
    Place(itemRect_);
}

const CUiString& CScrollBarUI::Image(Part part, Look look) const {
    return images_[static_cast<int>(part)][static_cast<int>(look)];
}

void CScrollBarUI::SetImage(Part part, Look look, const wchar_t* image) {
    images_[static_cast<int>(part)][static_cast<int>(look)] = image;
    Invalidate();
}

// The display scale applies to the thickness as it does to the fixed width
// the container places the bar with, so buttons fill the bar at any scale.
int CScrollBarUI::ButtonSize() const {
    return horizontal_ ? FixedHeight() : FixedWidth();
}

int CScrollBarUI::Along(const POINT& point) const {
    return horizontal_ ? point.x : point.y;
}

int CScrollBarUI::Along(const SIZE& size) const {
    return horizontal_ ? size.cx : size.cy;
}

int CScrollBarUI::Length(const RECT& rect) const {
    return horizontal_ ? rect.right - rect.left : rect.bottom - rect.top;
}

void CScrollBarUI::Place(const RECT& rect, bool invalidate) {
    CControlUI::Place(rect, invalidate);
    PlaceParts();
}

// Written along the bar: "lead" and "trail" are its top and bottom (left
// and right when horizontal), "cross" its left (top) edge.
void CScrollBarUI::PlaceParts() {
    const int s = ButtonSize();
    const int lead = horizontal_ ? itemRect_.left : itemRect_.top;
    const int trail = horizontal_ ? itemRect_.right : itemRect_.bottom;
    const int cross = horizontal_ ? itemRect_.top : itemRect_.left;
    const int length = trail - lead;
    auto span = [&](int from, int to) {
        return horizontal_ ? CUiRect(from, cross, to, cross + s) : CUiRect(cross, from, cross + s, to);
    };
    auto spot = [&](int at) { return horizontal_ ? CUiRect(at, cross, at, cross) : CUiRect(cross, at, cross, at); };

    const int track = length - (showButton1_ ? s : 0) - (showButton2_ ? s : 0);
    if (s >= track) {
        const int half = std::min(s, length / 2);
        button1Rect_ = showButton1_ ? span(lead, lead + half) : CUiRect();
        button2Rect_ = showButton2_ ? span(trail - half, trail) : CUiRect();
        thumbRect_.Empty();
        return;
    }
    button1Rect_ = showButton1_ ? span(lead, lead + s) : spot(lead);
    button2Rect_ = showButton2_ ? span(trail - s, trail) : spot(trail);
    const int first = showButton1_ ? lead + s : lead;
    const int last = showButton2_ ? trail - s : trail;
    if (range_ <= 0) {
        thumbRect_ = span(first, last);
        return;
    }
    const int thumb =
        std::max(static_cast<int>(static_cast<long long>(length) * track / (static_cast<long long>(length) + range_)), s);
    int top = static_cast<int>(static_cast<long long>(track - thumb) * position_ / range_) + first;
    if (top + thumb > last) {
        top = last - thumb;
    }
    thumbRect_ = span(top, top + thumb);
}

void CScrollBarUI::ForwardEvent(UiEvent& event) {
    if (owner_ != nullptr) {
        owner_->ProcessEvent(event);
    } else {
        CControlUI::ProcessEvent(event);
    }
}

void CScrollBarUI::ProcessEvent(UiEvent& event) {
    if (!AcceptsMouse() && IsMouseEvent(event.type)) {
        ForwardEvent(event);
        return;
    }
    switch (event.type) {
    case UiEventType::SetFocus:
    case UiEventType::KillFocus:
    case UiEventType::ContextMenu:
        return;
    case UiEventType::ButtonDown:
    case UiEventType::DoubleClick:
        Press(event.mousePoint);
        return;
    case UiEventType::ButtonUp:
    case UiEventType::CaptureLost:
        Release();
        return;
    case UiEventType::MouseMove:
        Drag(event.mousePoint);
        return;
    case UiEventType::MouseEnter:
        if (IsEnabled()) {
            button1State_ |= StateHot;
            button2State_ |= StateHot;
            if (Inside(thumbRect_, event.mousePoint)) {
                thumbState_ |= StateHot;
            }
            Invalidate();
        }
        return;
    case UiEventType::MouseLeave:
        if (IsEnabled()) {
            button1State_ &= ~StateHot;
            button2State_ &= ~StateHot;
            thumbState_ &= ~StateHot;
            Invalidate();
        }
        return;
    case UiEventType::Timer:
        if (event.wParam == kRepeatTimerId) {
            Tick();
            return;
        }
        break;
    default:
        break;
    }
    ForwardEvent(event);
}

void CScrollBarUI::Press(POINT point) {
    if (!IsEnabled()) {
        return;
    }
    repeatTicks_ = 0;
    dragOffset_ = 0;
    if (manager_ != nullptr) {
        manager_->StartTimer(this, kRepeatTimerId, kRepeatInterval);
    }
    if (Inside(button1Rect_, point)) {
        button1State_ |= StatePushed;
        StepLine(-1);
    } else if (Inside(button2Rect_, point)) {
        button2State_ |= StatePushed;
        StepLine(1);
    } else if (Inside(thumbRect_, point)) {
        thumbState_ |= StateCaptured | StatePushed;
        dragStartPoint_ = point;
        dragStartPosition_ = position_;
    } else {
        StepPage(SideOfThumb(point));
    }
    Invalidate();
    NotifyScroll();
}

void CScrollBarUI::Release() {
    const int before = position_;
    if (thumbState_ & StateCaptured) {
        // Moves since the last tick would otherwise be lost on release.
        ApplyDrag();
    }
    repeatTicks_ = 0;
    dragOffset_ = 0;
    if (manager_ != nullptr) {
        manager_->StopTimer(this, kRepeatTimerId);
    }
    if (thumbState_ & StateCaptured) {
        thumbState_ &= ~(StateCaptured | StatePushed);
    } else if (button1State_ & StatePushed) {
        button1State_ &= ~StatePushed;
    } else if (button2State_ & StatePushed) {
        button2State_ &= ~StatePushed;
    }
    Invalidate();
    if (position_ != before) {
        NotifyScroll();
    }
}

void CScrollBarUI::Drag(POINT point) {
    if (thumbState_ & StateCaptured) {
        // The room the thumb travels in; with both buttons shown this is
        // the bar's length less the thumb and two buttons.
        const int room = Length(itemRect_) - (showButton1_ ? ButtonSize() : 0) - (showButton2_ ? ButtonSize() : 0) -
                         Length(thumbRect_);
        if (room > 0) {
            dragOffset_ = static_cast<int>(static_cast<long long>(Along(point) - Along(dragStartPoint_)) * range_ / room);
        }
    } else if (thumbState_ & StateHot) {
        if (!Inside(thumbRect_, point)) {
            thumbState_ &= ~StateHot;
            Invalidate();
        }
    } else if (IsEnabled() && Inside(thumbRect_, point)) {
        thumbState_ |= StateHot;
        Invalidate();
    }
}

void CScrollBarUI::Tick() {
    ++repeatTicks_;
    const int before = position_;
    if (thumbState_ & StateCaptured) {
        ApplyDrag();
        Invalidate();
    } else if (repeatTicks_ <= kRepeatDelayTicks) {
        return;
    } else if (button1State_ & StatePushed) {
        StepLine(-1);
    } else if (button2State_ & StatePushed) {
        StepLine(1);
    } else if (manager_ != nullptr) {
        POINT cursor = {0, 0};
        GetCursorPos(&cursor);
        ScreenToClient(manager_->WindowHandle(), &cursor);
        StepPage(SideOfThumb(cursor));
    }
    if (position_ != before) {
        NotifyScroll();
    }
}

bool CScrollBarUI::ApplyDrag() {
    const int target = dragStartPosition_ + dragOffset_;
    if (owner_ == nullptr) {
        const int before = position_;
        SetScrollPos(target);
        return position_ != before;
    }
    const CUiSize offset = owner_->ScrollOffset();
    const int before = Along(offset);
    owner_->ScrollTo(horizontal_ ? CUiSize(target, offset.cy) : CUiSize(offset.cx, target), true);
    return Along(owner_->ScrollOffset()) != before;
}

void CScrollBarUI::StepLine(int direction) {
    if (owner_ == nullptr) {
        SetScrollPos(position_ + direction * lineSize_);
    } else if (horizontal_) {
        direction < 0 ? owner_->ScrollLineLeft() : owner_->ScrollLineRight();
    } else {
        direction < 0 ? owner_->ScrollLineUp() : owner_->ScrollLineDown();
    }
}

void CScrollBarUI::StepPage(int direction) {
    if (direction == 0) {
        return;
    }
    if (owner_ == nullptr) {
        SetScrollPos(position_ + direction * Length(itemRect_));
    } else if (horizontal_) {
        direction < 0 ? owner_->ScrollPageLeft() : owner_->ScrollPageRight();
    } else {
        direction < 0 ? owner_->ScrollPageUp() : owner_->ScrollPageDown();
    }
}

int CScrollBarUI::SideOfThumb(POINT point) const {
    if (thumbRect_.IsEmpty()) {
        return 0;
    }
    const int at = Along(point);
    if (at < (horizontal_ ? thumbRect_.left : thumbRect_.top)) {
        return -1;
    }
    if (at >= (horizontal_ ? thumbRect_.right : thumbRect_.bottom)) {
        return 1;
    }
    return 0;
}

// Only a bar standing alone tells the window; a container's bar moves its
// owner, which notifies for itself.
void CScrollBarUI::NotifyScroll() {
    if (manager_ != nullptr && owner_ == nullptr) {
        manager_->SendNotify(this, L"scroll");
    }
}

void CScrollBarUI::ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) {
    int part = 0;
    int look = 0;
    if (ParseImageName(name, &part, &look)) {
        SetImage(static_cast<Part>(part), static_cast<Look>(look), value);
    } else if (Is(name, L"hor")) {
        SetHorizontal(ParseBoolValue(value));
    } else if (Is(name, L"linesize")) {
        SetLineSize(ParseInt(value));
    } else if (Is(name, L"range")) {
        SetScrollRange(ParseInt(value));
    } else if (Is(name, L"value")) {
        SetScrollPos(ParseInt(value));
    } else if (Is(name, L"showbutton1")) {
        SetShowButton1(ParseBoolValue(value));
    } else if (Is(name, L"showbutton2")) {
        SetShowButton2(ParseBoolValue(value));
    } else {
        CControlUI::ApplyOwnAttribute(name, value);
    }
}

const CUiString* CScrollBarUI::ImageForState(Part part, UINT state) const {
    if (state & StateDisabled) {
        return &Image(part, Look::Disabled);
    }
    if (state & StatePushed) {
        return &Image(part, Look::Pushed);
    }
    if (state & StateHot) {
        return &Image(part, Look::Hot);
    }
    return nullptr;
}

// `rect` is in window coordinates; an empty one means the whole bar. A
// button or thumb without a drawable image is outlined instead.
void CScrollBarUI::PaintPart(HDC dc, Part part, const RECT& rect, UINT state, bool outlined) {
    const wchar_t* modifier = nullptr;
    if (!IsRectEmpty(&rect)) {
        // "dest" is written in markup units; the image string scales it again.
        RECT dest = {rect.left - itemRect_.left, rect.top - itemRect_.top, rect.right - itemRect_.left,
                     rect.bottom - itemRect_.top};
        if (manager_ != nullptr) {
            manager_->DpiScale().UnscaleRect(&dest);
        }
        drawModifier_.FormatShort(L"dest='%d,%d,%d,%d'", static_cast<int>(dest.left), static_cast<int>(dest.top),
                                  static_cast<int>(dest.right), static_cast<int>(dest.bottom));
        modifier = drawModifier_;
    }
    const CUiString* image = ImageForState(part, state);
    if (image != nullptr && !image->IsEmpty() && DrawImage(dc, *image, modifier)) {
        return;
    }
    const CUiString& normal = Image(part, Look::Normal);
    if (!normal.IsEmpty() && DrawImage(dc, normal, modifier)) {
        return;
    }
    if (outlined) {
        CUiRender::StrokeRect(dc, rect, kOutlineWidth, kOutlineColor);
    }
}

void CScrollBarUI::Paint(HDC dc, const RECT& paintRect) {
    if (!IntersectRect(&paintRect_, &paintRect, &itemRect_)) {
        return;
    }
    for (UINT* state : {&button1State_, &button2State_, &thumbState_}) {
        *state = IsEnabled() ? (*state & ~StateDisabled) : (*state | StateDisabled);
    }
    PaintPart(dc, Part::Background, CUiRect(), thumbState_, false);
    if (showButton1_) {
        PaintPart(dc, Part::Button1, button1Rect_, button1State_, true);
    }
    if (showButton2_) {
        PaintPart(dc, Part::Button2, button2Rect_, button2State_, true);
    }
    if (thumbRect_.IsEmpty()) {
        return;
    }
    PaintPart(dc, Part::Thumb, thumbRect_, thumbState_, true);
    // The grip mark: a square of the bar's thickness centred on the thumb.
    const int s = ButtonSize();
    CUiRect grip = thumbRect_;
    if (horizontal_) {
        grip.left = (thumbRect_.left + thumbRect_.right) / 2 - s / 2;
        grip.right = grip.left + s;
    } else {
        grip.top = (thumbRect_.top + thumbRect_.bottom) / 2 - s / 2;
        grip.bottom = grip.top + s;
    }
    PaintPart(dc, Part::Rail, grip, thumbState_, false);
}

}  // namespace Orvel
