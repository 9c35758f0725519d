#include "ContainerUI.h"

#include "PaintManagerUI.h"
#include "ScrollBarUI.h"
#include "UiClipScope.h"
#include "UiFontInfo.h"
#include "UiValueParser.h"

#include <algorithm>
#include <cwchar>

namespace Orvel {

namespace {

bool Meets(const RECT& a, const RECT& b) {
    RECT common;
    return IntersectRect(&common, &a, &b) != FALSE;
}

int ClampSize(int value, int minimum, int maximum) {
    if (value < minimum) {
        value = minimum;
    }
    return value > maximum ? maximum : value;
}

}  // namespace

CContainerUI::CContainerUI()
    : childPadding_(0), childAlign_(AlignLeft), childVAlign_(AlignTop), ownsChildren_(true),
      defersChildDeletion_(true), childrenTakeMouse_(true), scrollStep_(0), verticalBar_(nullptr),
      horizontalBar_(nullptr) {}

CContainerUI::~CContainerUI() {
    // Nothing is left to run the deferred deletion after the container.
    defersChildDeletion_ = false;
    RemoveAll();
    DestroyBar(verticalBar_);
    DestroyBar(horizontalBar_);
}

const wchar_t* CContainerUI::ClassName() const {
    return L"ContainerUI";
}

void* CContainerUI::CastTo(const wchar_t* name) {
    if (Is(name, L"IContainer")) {
        return static_cast<IContainerUI*>(this);
    }
    if (Is(name, L"Container")) {
        return this;
    }
    return CControlUI::CastTo(name);
}

void CContainerUI::Attach(CPaintManagerUI* manager, CControlUI* parent, bool initialize) {
    for (int i = 0; i < items_.Count(); ++i) {
        static_cast<CControlUI*>(items_.At(i))->Attach(manager, this, initialize);
    }
    for (CScrollBarUI* bar : {verticalBar_, horizontalBar_}) {
        if (bar != nullptr) {
            bar->Attach(manager, this, initialize);
        }
    }
    CControlUI::Attach(manager, parent, initialize);
}

CUiRect CContainerUI::InsideInset() const {
    const CUiRect inset = Inset();
    return CUiRect(itemRect_.left + inset.left, itemRect_.top + inset.top, itemRect_.right - inset.right,
                   itemRect_.bottom - inset.bottom);
}

CUiRect CContainerUI::ClientRect() const {
    CUiRect client = InsideInset();
    const UiScrollBarMetrics vertical = VerticalBarMetrics();
    if (vertical.visible) {
        client.top -= vertical.position;
        client.right -= vertical.thickness;
        client.bottom += vertical.range - vertical.position;
    }
    const UiScrollBarMetrics horizontal = HorizontalBarMetrics();
    if (horizontal.visible) {
        client.left -= horizontal.position;
        client.right += horizontal.range - horizontal.position;
        client.bottom -= horizontal.thickness;
    }
    return client;
}

CUiRect CContainerUI::ChildArea() const {
    CUiRect area = InsideInset();
    area.right -= VerticalBarMetrics().thickness;
    area.bottom -= HorizontalBarMetrics().thickness;
    return area;
}

void CContainerUI::Place(const RECT& rect, bool invalidate) {
    CControlUI::Place(rect, invalidate);
    if (items_.IsEmpty()) {
        return;
    }
    const CUiRect client = ClientRect();
    for (int i = 0; i < items_.Count(); ++i) {
        CControlUI* child = LaidOutChild(i);
        if (child == nullptr) {
            continue;
        }
        const int width = ClampSize(client.Width(), child->MinWidth(), child->MaxWidth());
        const int height = ClampSize(client.Height(), child->MinHeight(), child->MaxHeight());
        child->Place(CUiRect(client.left, client.top, client.left + width, client.top + height), false);
    }
}

CControlUI* CContainerUI::LaidOutChild(int index) {
    auto* child = static_cast<CControlUI*>(items_.GetAt(index));
    if (child == nullptr || !child->IsVisible()) {
        return nullptr;
    }
    if (child->IsFloating()) {
        PlaceFloatingChild(index);
        return nullptr;
    }
    return child;
}

void CContainerUI::PlaceFloatingChild(int index) {
    auto* child = static_cast<CControlUI*>(items_.GetAt(index));
    if (child == nullptr || !child->IsVisible() || !child->IsFloating()) {
        return;
    }
    const CUiSize offset = child->FixedOffset();
    const UiFloatAnchors anchors = child->FloatAnchors();
    const int width = itemRect_.Width();
    const int height = itemRect_.Height();
    CUiRect placed;
    placed.left = static_cast<int>(width * anchors.left) + offset.cx + itemRect_.left;
    placed.top = static_cast<int>(height * anchors.top) + offset.cy + itemRect_.top;
    placed.right = static_cast<int>(width * anchors.right) + offset.cx + child->FixedWidth() + itemRect_.left;
    placed.bottom = static_cast<int>(height * anchors.bottom) + offset.cy + child->FixedHeight() + itemRect_.top;
    child->Place(placed, false);
}

void CContainerUI::Shift(const SIZE& offset, bool invalidate) {
    CControlUI::Shift(offset, invalidate);
    for (CScrollBarUI* bar : {verticalBar_, horizontalBar_}) {
        if (bar != nullptr && bar->IsVisible()) {
            bar->Shift(offset, false);
        }
    }
    for (int i = 0; i < items_.Count(); ++i) {
        auto* child = static_cast<CControlUI*>(items_.At(i));
        if (child->IsVisible()) {
            child->Shift(offset, false);
        }
    }
}

void CContainerUI::SetVisible(bool visible) {
    if (visible_ == visible) {
        return;
    }
    CControlUI::SetVisible(visible);
    for (int i = 0; i < items_.Count(); ++i) {
        static_cast<CControlUI*>(items_.At(i))->SetShownByParent(IsVisible());
    }
}

void CContainerUI::SetShownByParent(bool shown) {
    CControlUI::SetShownByParent(shown);
    for (int i = 0; i < items_.Count(); ++i) {
        static_cast<CControlUI*>(items_.At(i))->SetShownByParent(IsVisible());
    }
}

void CContainerUI::SetEnabled(bool enabled) {
    if (enabled_ == enabled) {
        return;
    }
    enabled_ = enabled;
    for (int i = 0; i < items_.Count(); ++i) {
        static_cast<CControlUI*>(items_.At(i))->SetEnabled(enabled);
    }
    Invalidate();
}

void CContainerUI::SetAcceptsMouse(bool accepts) {
    for (CScrollBarUI* bar : {verticalBar_, horizontalBar_}) {
        if (bar != nullptr) {
            bar->SetAcceptsMouse(accepts);
        }
    }
    CControlUI::SetAcceptsMouse(accepts);
}

CControlUI* CContainerUI::FindBy(FindControlProc visitor, void* data, UINT flags) {
    if ((flags & UiFindVisible) && !IsVisible()) {
        return nullptr;
    }
    if ((flags & UiFindEnabled) && !IsEnabled()) {
        return nullptr;
    }
    const bool hitTest = (flags & UiFindHitTest) != 0;
    const POINT* point = static_cast<const POINT*>(data);
    if (hitTest && (point == nullptr || !PtInRect(&itemRect_, *point))) {
        return nullptr;
    }
    // A container that needs a new layout places its children itself.
    if ((flags & UiFindUpdateTest) && visitor(this, data) != nullptr) {
        return nullptr;
    }
    const bool askSelf = !hitTest || AcceptsMouse();
    CControlUI* result = nullptr;
    if ((flags & UiFindMeFirst) && askSelf) {
        result = visitor(this, data);
    }
    // A container that refuses the mouse hands no hit to its bars either.
    for (CScrollBarUI* bar : {verticalBar_, horizontalBar_}) {
        if (result == nullptr && bar != nullptr && askSelf) {
            result = bar->FindBy(visitor, data, flags);
        }
    }
    if (result == nullptr && (!hitTest || childrenTakeMouse_)) {
        const CUiRect area = ChildArea();
        const int count = items_.Count();
        for (int step = 0; step < count && result == nullptr; ++step) {
            const int index = (flags & UiFindTopFirst) ? count - 1 - step : step;
            CControlUI* found = static_cast<CControlUI*>(items_.At(index))->FindBy(visitor, data, flags);
            // Outside the inset only floating children can be hit.
            if (found != nullptr && (!hitTest || found->IsFloating() || PtInRect(&area, *point))) {
                result = found;
            }
        }
    }
    if (result == nullptr && !(flags & UiFindMeFirst) && askSelf) {
        result = visitor(this, data);
    }
    return result;
}

void CContainerUI::ProcessEvent(UiEvent& event) {
    if (!AcceptsMouse() && IsMouseEvent(event.type)) {
        if (parent_ != nullptr) {
            parent_->ProcessEvent(event);
        } else {
            CControlUI::ProcessEvent(event);
        }
        return;
    }
    if (TrackFocusQuietly(event)) {
        return;
    }
    const UiScrollBarMetrics vertical = VerticalBarMetrics();
    if (vertical.visible && vertical.enabled && ScrollByEvent(event, true)) {
        return;
    }
    const UiScrollBarMetrics horizontal = HorizontalBarMetrics();
    if (horizontal.visible && horizontal.enabled && ScrollByEvent(event, false)) {
        return;
    }
    CControlUI::ProcessEvent(event);
}

bool CContainerUI::ScrollByEvent(const UiEvent& event, bool vertical) {
    using Scroll = void (CContainerUI::*)();
    // Page back, page forward, to the end, to the start, line back, line forward.
    static const Scroll kVertical[] = {&CContainerUI::ScrollPageUp, &CContainerUI::ScrollPageDown,
                                       &CContainerUI::ScrollToBottom, &CContainerUI::ScrollToTop,
                                       &CContainerUI::ScrollLineUp, &CContainerUI::ScrollLineDown};
    static const Scroll kHorizontal[] = {&CContainerUI::ScrollPageLeft, &CContainerUI::ScrollPageRight,
                                         &CContainerUI::ScrollToRight, &CContainerUI::ScrollToLeft,
                                         &CContainerUI::ScrollLineLeft, &CContainerUI::ScrollLineRight};
    int action = -1;
    if (event.type == UiEventType::KeyDown) {
        switch (event.key) {
        case VK_PRIOR: action = 0; break;
        case VK_NEXT: action = 1; break;
        case VK_END: action = 2; break;
        case VK_HOME: action = 3; break;
        case VK_UP: action = 4; break;
        case VK_DOWN: action = 5; break;
        default: break;
        }
    } else if (event.type == UiEventType::ScrollWheel) {
        // The manager sends 0 for the wheel turned up, 1 for down.
        if (LOWORD(event.wParam) <= 1) {
            action = 4 + LOWORD(event.wParam);
        }
    }
    if (action < 0) {
        return false;
    }
    (this->*(vertical ? kVertical : kHorizontal)[action])();
    return true;
}

bool CContainerUI::TakesStyleName(const wchar_t* name) const {
    return Is(name, L"vscrollbarstyle") || Is(name, L"hscrollbarstyle");
}

void CContainerUI::ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) {
    if (TakesStyleName(name)) {
        const bool horizontal = Is(name, L"hscrollbarstyle");
        (horizontal ? horizontalBarStyle_ : verticalBarStyle_) = value;
        ApplyBarStyle(horizontal);
    } else if (Is(name, L"inset")) {
        SetInset(ParseRectValue(value));
    } else if (Is(name, L"mousechild")) {
        SetChildrenTakeMouse(ParseBoolValue(value));
    } else if (Is(name, L"vscrollbar")) {
        ShowScrollBars(ParseBoolValue(value), horizontalBar_ != nullptr);
    } else if (Is(name, L"hscrollbar")) {
        ShowScrollBars(verticalBar_ != nullptr, ParseBoolValue(value));
    } else if (Is(name, L"childpadding")) {
        SetChildPadding(ParseInt(value));
    } else if (wcscmp(name, L"childalign") == 0) {
        if (wcscmp(value, L"left") == 0) {
            childAlign_ = AlignLeft;
        } else if (wcscmp(value, L"center") == 0) {
            childAlign_ = AlignCenter;
        } else if (wcscmp(value, L"right") == 0) {
            childAlign_ = AlignRight;
        }
    } else if (wcscmp(name, L"childvalign") == 0) {
        if (wcscmp(value, L"top") == 0) {
            childVAlign_ = AlignTop;
        } else if (wcscmp(value, L"vcenter") == 0) {
            childVAlign_ = AlignVCenter;
        } else if (wcscmp(value, L"bottom") == 0) {
            childVAlign_ = AlignBottom;
        }
    } else if (Is(name, L"scrollstepsize")) {
        SetScrollStep(ParseInt(value));
    } else {
        CControlUI::ApplyOwnAttribute(name, value);
    }
}

void CContainerUI::Paint(HDC dc, const RECT& paintRect) {
    CUiRect clip;
    if (!IntersectRect(&clip, &paintRect, &itemRect_)) {
        return;
    }
    UiClipScope scope;
    scope.ClipToRect(dc, clip);
    CControlUI::Paint(dc, paintRect);
    if (!items_.IsEmpty()) {
        PaintChildren(dc, paintRect);
    }
    for (CScrollBarUI* bar : {verticalBar_, horizontalBar_}) {
        if (bar != nullptr && bar->IsVisible() && Meets(bar->ItemRect(), paintRect)) {
            bar->Paint(dc, paintRect);
        }
    }
}

void CContainerUI::PaintChildren(HDC dc, const RECT& paintRect) {
    const CUiRect area = ChildArea();
    CUiRect childClip;
    if (!IntersectRect(&childClip, &paintRect, &area)) {
        for (int i = 0; i < items_.Count(); ++i) {
            auto* child = static_cast<CControlUI*>(items_.At(i));
            if (child->IsVisible() && child->IsFloating() && Meets(child->ItemRect(), paintRect) &&
                Meets(child->ItemRect(), itemRect_)) {
                child->Paint(dc, paintRect);
            }
        }
        return;
    }
    UiClipScope scope;
    scope.ClipToRect(dc, childClip);
    for (int i = 0; i < items_.Count(); ++i) {
        auto* child = static_cast<CControlUI*>(items_.At(i));
        if (!child->IsVisible() || !Meets(child->ItemRect(), paintRect)) {
            continue;
        }
        if (!child->IsFloating()) {
            if (Meets(child->ItemRect(), area)) {
                child->Paint(dc, paintRect);
            }
        } else if (Meets(child->ItemRect(), itemRect_)) {
            // Floating children may overlap the inset; only the container clips them.
            scope.RestorePreviousClip();
            child->Paint(dc, paintRect);
            scope.ReapplyClip();
        }
    }
}

void CContainerUI::OnScaleChanged(int scale) {
    for (int i = 0; i < items_.Count(); ++i) {
        static_cast<CControlUI*>(items_.At(i))->OnScaleChanged(scale);
    }
}

CControlUI* CContainerUI::ItemAt(int index) const {
    return static_cast<CControlUI*>(items_.GetAt(index));
}

int CContainerUI::IndexOf(CControlUI* control) const {
    return items_.Find(control);
}

bool CContainerUI::MoveItem(CControlUI* control, int index) {
    const int from = items_.Find(control);
    // An index past the end would drop the child from the list it is owned by.
    if (from < 0 || index < 0 || index >= items_.Count()) {
        return false;
    }
    RequestUpdate();
    items_.Remove(from);
    return items_.InsertAt(index, control);
}

int CContainerUI::ItemCount() const {
    return items_.Count();
}

bool CContainerUI::Add(CControlUI* control) {
    return AddAt(control, items_.Count());
}

bool CContainerUI::AddAt(CControlUI* control, int index) {
    // Refused before binding: a control bound here but left out of the list
    // would belong to nobody.
    if (control == nullptr || index < 0 || index > items_.Count()) {
        return false;
    }
    if (manager_ != nullptr) {
        manager_->BindControls(control, this);
    }
    if (IsVisible()) {
        RequestUpdate();
    } else {
        control->SetShownByParent(false);
    }
    return items_.InsertAt(index, control);
}

bool CContainerUI::Remove(CControlUI* control) {
    const int index = items_.Find(control);
    if (index < 0) {
        return false;
    }
    RequestUpdate();
    items_.Remove(index);
    DisposeChild(control);
    return true;
}

bool CContainerUI::RemoveAt(int index) {
    return Remove(ItemAt(index));
}

void CContainerUI::RemoveAll() {
    // The list is emptied first: a child's destruction may reach back here.
    CUiPtrArray children(items_);
    items_.Clear();
    for (int i = 0; i < children.Count(); ++i) {
        DisposeChild(static_cast<CControlUI*>(children.At(i)));
    }
    RequestUpdate();
}

void CContainerUI::DisposeChild(CControlUI* child) {
    if (!ownsChildren_) {
        return;
    }
    if (defersChildDeletion_ && manager_ != nullptr) {
        manager_->QueueCleanup(child);
    } else {
        delete child;
    }
}

CUiRect CContainerUI::Inset() const {
    return ScaleRect(inset_);
}

void CContainerUI::SetInset(const RECT& inset) {
    inset_ = inset;
    RequestUpdate();
}

int CContainerUI::ChildPadding() const {
    return Scale(childPadding_);
}

void CContainerUI::SetChildPadding(int padding) {
    childPadding_ = padding;
    RequestUpdate();
}

int CContainerUI::ChildAlign() const {
    return childAlign_;
}

void CContainerUI::SetChildAlign(int align) {
    childAlign_ = align;
    RequestUpdate();
}

int CContainerUI::ChildVAlign() const {
    return childVAlign_;
}

void CContainerUI::SetChildVAlign(int align) {
    childVAlign_ = align;
    RequestUpdate();
}

bool CContainerUI::OwnsChildren() const {
    return ownsChildren_;
}

void CContainerUI::SetOwnsChildren(bool owns) {
    ownsChildren_ = owns;
}

bool CContainerUI::DefersChildDeletion() const {
    return defersChildDeletion_;
}

void CContainerUI::SetDefersChildDeletion(bool defers) {
    defersChildDeletion_ = defers;
}

bool CContainerUI::ChildrenTakeMouse() const {
    return childrenTakeMouse_;
}

void CContainerUI::SetChildrenTakeMouse(bool takes) {
    childrenTakeMouse_ = takes;
}

int CContainerUI::NextSelectable(int index, bool forward) {
    const int count = items_.Count();
    if (count == 0) {
        return -1;
    }
    index = ClampSize(index, 0, count - 1);
    auto selectable = [this](int i) {
        auto* child = static_cast<CControlUI*>(items_.At(i));
        return child->CastTo(L"ListItem") != nullptr && child->IsVisible() && child->IsEnabled();
    };
    if (forward) {
        for (int i = index; i < count; ++i) {
            if (selectable(i)) {
                return i;
            }
        }
        return -1;
    }
    for (int i = index; i >= 0; --i) {
        if (selectable(i)) {
            return i;
        }
    }
    return NextSelectable(0, true);
}

CUiSize CContainerUI::ScrollOffset() const {
    return CUiSize(HorizontalBarMetrics().position, VerticalBarMetrics().position);
}

CUiSize CContainerUI::ScrollExtent() const {
    return CUiSize(HorizontalBarMetrics().range, VerticalBarMetrics().range);
}

void CContainerUI::ScrollTo(const SIZE& offset, bool notify) {
    const CUiSize before = ScrollOffset();
    if (verticalBar_ != nullptr && verticalBar_->IsVisible()) {
        verticalBar_->SetScrollPos(offset.cy);
    }
    if (horizontalBar_ != nullptr && horizontalBar_->IsVisible()) {
        horizontalBar_->SetScrollPos(offset.cx);
    }
    const CUiSize after = ScrollOffset();
    const int dx = after.cx - before.cx;
    const int dy = after.cy - before.cy;
    if (dx == 0 && dy == 0) {
        return;
    }
    for (int i = 0; i < items_.Count(); ++i) {
        auto* child = static_cast<CControlUI*>(items_.At(i));
        if (!child->IsVisible() || child->IsFloating()) {
            continue;
        }
        CUiRect moved = child->ItemRect();
        moved.Offset(-dx, -dy);
        child->Place(moved, true);
    }
    Invalidate();
    if (verticalBar_ != nullptr && manager_ != nullptr && notify) {
        // The line number the view starts at; a bar without a line size counts pixels.
        const int line = std::max(verticalBar_->LineSize(), 1);
        manager_->SendNotify(this, L"scroll", static_cast<WPARAM>((verticalBar_->ScrollPos() + line) / line));
    }
}

void CContainerUI::SetScrollStep(int step) {
    if (step > 0) {
        scrollStep_ = step;
    }
}

int CContainerUI::ScrollStep() const {
    return Scale(scrollStep_);
}

int CContainerUI::VerticalLineStep() const {
    const int step = ScrollStep();
    if (step != 0) {
        return step;
    }
    return manager_ != nullptr ? manager_->DefaultFontInfo()->metrics.tmHeight + 8 : 8;
}

int CContainerUI::HorizontalLineStep() const {
    const int step = ScrollStep();
    return step != 0 ? step : 8;
}

void CContainerUI::ScrollBy(int dx, int dy) {
    const CUiSize offset = ScrollOffset();
    ScrollTo(CUiSize(offset.cx + dx, offset.cy + dy));
}

int CContainerUI::VerticalPage() const {
    return InsideInset().Height() - HorizontalBarMetrics().thickness;
}

int CContainerUI::HorizontalPage() const {
    return InsideInset().Width() - VerticalBarMetrics().thickness;
}

void CContainerUI::ScrollLineUp() {
    ScrollBy(0, -VerticalLineStep());
}

void CContainerUI::ScrollLineDown() {
    ScrollBy(0, VerticalLineStep());
}

void CContainerUI::ScrollPageUp() {
    ScrollBy(0, -VerticalPage());
}

void CContainerUI::ScrollPageDown() {
    ScrollBy(0, VerticalPage());
}

void CContainerUI::ScrollToTop() {
    ScrollTo(CUiSize(ScrollOffset().cx, 0));
}

void CContainerUI::ScrollToBottom() {
    ScrollTo(CUiSize(ScrollOffset().cx, ScrollExtent().cy));
}

void CContainerUI::ScrollLineLeft() {
    ScrollBy(-HorizontalLineStep(), 0);
}

void CContainerUI::ScrollLineRight() {
    ScrollBy(HorizontalLineStep(), 0);
}

void CContainerUI::ScrollPageLeft() {
    ScrollBy(-HorizontalPage(), 0);
}

void CContainerUI::ScrollPageRight() {
    ScrollBy(HorizontalPage(), 0);
}

void CContainerUI::ScrollToLeft() {
    ScrollTo(CUiSize(0, ScrollOffset().cy));
}

void CContainerUI::ScrollToRight() {
    ScrollTo(CUiSize(ScrollExtent().cx, ScrollOffset().cy));
}

void CContainerUI::ShowScrollBars(bool vertical, bool horizontal) {
    if (vertical && verticalBar_ == nullptr) {
        verticalBar_ = CreateBar(false);
    } else if (!vertical) {
        DestroyBar(verticalBar_);
    }
    if (horizontal && horizontalBar_ == nullptr) {
        horizontalBar_ = CreateBar(true);
    } else if (!horizontal) {
        DestroyBar(horizontalBar_);
    }
    RequestUpdate();
}

CScrollBarUI* CContainerUI::CreateBar(bool horizontal) {
    auto* bar = new CScrollBarUI();
    bar->SetOwner(this);
    bar->Attach(manager_, nullptr, false);
    bar->SetHorizontal(horizontal);
    if (manager_ != nullptr) {
        if (const wchar_t* list = manager_->DefaultAttributeList(horizontal ? L"HScrollBar" : L"VScrollBar")) {
            bar->ApplyAttributeList(list);
        }
    }
    const CUiString& style = horizontal ? horizontalBarStyle_ : verticalBarStyle_;
    if (!style.IsEmpty()) {
        bar->ApplyAttributeList(style);
    }
    return bar;
}

// A bar that exists already takes the style now; a new one took it when made.
void CContainerUI::ApplyBarStyle(bool horizontal) {
    CScrollBarUI* existing = horizontal ? horizontalBar_ : verticalBar_;
    ShowScrollBars(!horizontal || verticalBar_ != nullptr, horizontal || horizontalBar_ != nullptr);
    if (existing != nullptr) {
        existing->ApplyAttributeList(horizontal ? horizontalBarStyle_ : verticalBarStyle_);
    }
}

void CContainerUI::DestroyBar(CScrollBarUI*& bar) {
    delete bar;
    bar = nullptr;
}

CScrollBarUI* CContainerUI::VerticalBar() const {
    return verticalBar_;
}

CScrollBarUI* CContainerUI::HorizontalBar() const {
    return horizontalBar_;
}

// A bar shown or hidden here changes the room the children have, so the
// container is placed again at once; that pass brings both bars up to date,
// and this one must not go on with its stale rectangle.
void CContainerUI::UpdateScrollBars(const RECT& rect, int cxNeeded, int cyNeeded) {
    const CUiRect area = rect;
    if (horizontalBar_ != nullptr &&
        UpdateBar(horizontalBar_, cxNeeded - area.Width(),
                  CUiRect(area.left, area.bottom, area.right, area.bottom + horizontalBar_->FixedHeight()))) {
        return;
    }
    if (verticalBar_ != nullptr) {
        UpdateBar(verticalBar_, cyNeeded - area.Height(),
                  CUiRect(area.right, area.top, area.right + verticalBar_->FixedWidth(), area.bottom));
    }
}

bool CContainerUI::UpdateBar(CScrollBarUI* bar, int extra, const RECT& placed) {
    if (!bar->IsVisible()) {
        if (extra <= 0) {
            return false;
        }
        bar->SetVisible(true);
        bar->SetScrollRange(extra);
        bar->SetScrollPos(0);
        Place(itemRect_, true);
        return true;
    }
    if (extra <= 0) {
        bar->SetVisible(false);
        bar->SetScrollPos(0);
        bar->SetScrollRange(0);
        Place(itemRect_, true);
        return true;
    }
    bar->Place(placed, true);
    if (bar->ScrollRange() != extra) {
        const int position = bar->ScrollPos();
        bar->SetScrollRange(extra);
        if (bar->ScrollPos() < position) {
            Place(itemRect_, true);
            return true;
        }
    }
    return false;
}

UiScrollBarMetrics CContainerUI::MetricsOf(const CScrollBarUI* bar) {
    UiScrollBarMetrics metrics;
    if (bar == nullptr || !bar->IsVisible()) {
        return metrics;
    }
    metrics.visible = true;
    metrics.enabled = bar->IsEnabled();
    metrics.thickness = bar->IsHorizontal() ? bar->FixedHeight() : bar->FixedWidth();
    metrics.range = bar->ScrollRange();
    metrics.position = bar->ScrollPos();
    return metrics;
}

UiScrollBarMetrics CContainerUI::VerticalBarMetrics() const {
    return MetricsOf(verticalBar_);
}

UiScrollBarMetrics CContainerUI::HorizontalBarMetrics() const {
    return MetricsOf(horizontalBar_);
}

}  // namespace Orvel
