#include "LinearLayoutUI.h"

#include "PaintManagerUI.h"
#include "UiRender.h"
#include "UiValueParser.h"

#include <algorithm>
#include <cstdlib>

namespace Orvel {

namespace {

constexpr DWORD kDragStripColor = 0xAA000000;

// Reads rectangles, sizes and limits along the stacking axis ("main") or
// across it ("cross"), so one placement serves both layouts.
struct Axis {
    bool vertical;

    LONG& Lead(RECT& r) const { return vertical ? r.top : r.left; }
    LONG& Trail(RECT& r) const { return vertical ? r.bottom : r.right; }
    LONG Lead(const RECT& r) const { return vertical ? r.top : r.left; }
    LONG Trail(const RECT& r) const { return vertical ? r.bottom : r.right; }
    LONG CrossLead(const RECT& r) const { return vertical ? r.left : r.top; }
    LONG CrossTrail(const RECT& r) const { return vertical ? r.right : r.bottom; }
    LONG Main(const SIZE& s) const { return vertical ? s.cy : s.cx; }
    LONG Cross(const SIZE& s) const { return vertical ? s.cx : s.cy; }
    LONG Main(const POINT& p) const { return vertical ? p.y : p.x; }
    CUiSize Size(LONG main, LONG cross) const { return vertical ? CUiSize(cross, main) : CUiSize(main, cross); }
    CUiRect Rect(LONG lead, LONG trail, LONG crossLead, LONG crossTrail) const {
        return vertical ? CUiRect(crossLead, lead, crossTrail, trail) : CUiRect(lead, crossLead, trail, crossTrail);
    }

    int MinMain(const CControlUI* c) const { return vertical ? c->MinHeight() : c->MinWidth(); }
    int MaxMain(const CControlUI* c) const { return vertical ? c->MaxHeight() : c->MaxWidth(); }
    int MinCross(const CControlUI* c) const { return vertical ? c->MinWidth() : c->MinHeight(); }
    int MaxCross(const CControlUI* c) const { return vertical ? c->MaxWidth() : c->MaxHeight(); }
};

int Clamp(int value, int minimum, int maximum) {
    return std::min(std::max(value, minimum), maximum);
}

// The size a child may measure in: fixed sizes, or else the maxima, bound it.
CUiSize LimitToFixed(const CControlUI* child, CUiSize size) {
    const int width = child->FixedWidth() < 1 ? child->MaxWidth() : child->FixedWidth();
    const int height = child->FixedHeight() < 1 ? child->MaxHeight() : child->FixedHeight();
    return CUiSize(std::min<LONG>(size.cx, width), std::min<LONG>(size.cy, height));
}

// Where children line up across the axis: 0 leading, 1 centred, 2 trailing.
int CrossAlignment(const CContainerUI& layout, bool vertical) {
    if (vertical) {
        return layout.ChildAlign() == CContainerUI::AlignCenter  ? 1
               : layout.ChildAlign() == CContainerUI::AlignRight ? 2
                                                                 : 0;
    }
    return layout.ChildVAlign() == CContainerUI::AlignVCenter  ? 1
           : layout.ChildVAlign() == CContainerUI::AlignBottom ? 2
                                                               : 0;
}

// What the measuring pass finds over the visible, non-floating children.
struct Measured {
    int fixedTotal = 0;   // sized children, every padding and the gaps between children
    int count = 0;
    int stretchable = 0;  // children that measure 0 along the axis
    int crossNeeded = 0;  // the widest measured child across the axis, with its padding
};

Measured MeasureChildren(const CContainerUI& layout, const Axis& axis, int availMain, int availCross, int gap) {
    Measured result;
    for (int i = 0; i < layout.ItemCount(); ++i) {
        CControlUI* child = layout.ItemAt(i);
        if (!child->IsVisible() || child->IsFloating()) {
            continue;
        }
        ++result.count;
        const CUiRect pad = child->Padding();
        const int crossPads = axis.CrossLead(pad) + axis.CrossTrail(pad);
        const CUiSize measured = child->MeasureSize(LimitToFixed(child, axis.Size(availMain, availCross - crossPads)));
        int main = axis.Main(measured);
        if (main == 0) {
            ++result.stretchable;
        } else {
            main = Clamp(main, axis.MinMain(child), axis.MaxMain(child));
        }
        result.fixedTotal += main + axis.Lead(pad) + axis.Trail(pad);
        const int cross = Clamp(std::max<int>(axis.Cross(measured), 0), axis.MinCross(child), axis.MaxCross(child));
        result.crossNeeded = std::max(result.crossNeeded, cross + crossPads);
    }
    result.fixedTotal += std::max(result.count - 1, 0) * gap;
    return result;
}

// Across the axis a child takes its maximum size within the room it has;
// what it measured does not count.
int CrossSize(const CControlUI* child, const Axis& axis, int room, const CUiSize& bound) {
    int cross = axis.MaxCross(child);
    if (cross == 0) {
        cross = room;
    }
    return std::max(std::min<int>(std::max(cross, 0), axis.Cross(bound)), axis.MinCross(child));
}

// The leading edge across the axis of a child `cross` thick.
int CrossLead(const Axis& axis, int alignment, const RECT& area, const UiScrollBarMetrics& bar, const RECT& pad,
              int cross) {
    if (alignment == 1) {
        const int centre = (axis.CrossLead(area) + axis.CrossTrail(area)) / 2 +
                           (bar.visible ? bar.range / 2 - bar.position : 0);
        return centre - cross / 2;
    }
    if (alignment == 2) {
        const int edge = axis.CrossTrail(area) + (bar.visible ? bar.range - bar.position : 0);
        return edge - axis.CrossTrail(pad) - cross;
    }
    return axis.CrossLead(area) - (bar.visible ? bar.position : 0) + axis.CrossLead(pad);
}

}  // namespace

CLinearLayoutUI::CLinearLayoutUI(bool vertical)
    : vertical_(vertical), separatorSize_(0), dragState_(0), lastPointer_{0, 0}, immediate_(false) {}

UINT CLinearLayoutUI::TraitFlags() const {
    return (IsEnabled() && separatorSize_ != 0) ? UINT{UiTraitWantsCursor} : 0u;
}

void CLinearLayoutUI::Place(const RECT& rect, bool invalidate) {
    CControlUI::Place(rect, invalidate);
    const Axis axis{vertical_};
    const UiScrollBarMetrics verticalBar = VerticalBarMetrics();
    const UiScrollBarMetrics horizontalBar = HorizontalBarMetrics();
    const UiScrollBarMetrics& mainBar = vertical_ ? verticalBar : horizontalBar;
    const UiScrollBarMetrics& crossBar = vertical_ ? horizontalBar : verticalBar;

    const CUiRect area = ChildArea();
    if (items_.IsEmpty()) {
        UpdateScrollBars(area, 0, 0);
        return;
    }
    const int availMain = axis.Main(CUiSize(area.Width(), area.Height())) + mainBar.range;
    const int availCross = axis.Cross(CUiSize(area.Width(), area.Height())) + crossBar.range;
    const int gap = ChildPadding();
    const Measured measured = MeasureChildren(*this, axis, availMain, availCross, gap);
    const int share =
        measured.stretchable > 0 ? std::max((availMain - measured.fixedTotal) / measured.stretchable, 0) : 0;

    // In list order; the last stretchable child takes what is left.
    const int alignment = CrossAlignment(*this, vertical_);
    int remaining = availMain;
    int position = axis.Lead(area) - (mainBar.visible ? mainBar.position : 0);
    int fixedLeft = measured.fixedTotal;
    int placed = 0;
    int stretched = 0;
    int mainNeeded = std::max(measured.count - 1, 0) * gap;
    int crossPlaced = 0;
    for (int i = 0; i < items_.Count(); ++i) {
        CControlUI* child = LaidOutChild(i);
        if (child == nullptr) {
            continue;
        }
        ++placed;
        const CUiRect pad = child->Padding();
        const int leadPad = axis.Lead(pad);
        const int trailPad = axis.Trail(pad);
        const int crossPads = axis.CrossLead(pad) + axis.CrossTrail(pad);
        remaining -= leadPad;
        const CUiSize bound = LimitToFixed(child, axis.Size(remaining, availCross - crossPads));
        fixedLeft -= leadPad + trailPad + (placed > 1 ? gap : 0);

        int main = axis.Main(child->MeasureSize(bound));
        if (main == 0) {
            ++stretched;
            main = stretched == measured.stretchable ? std::max(remaining - trailPad - fixedLeft, 0) : share;
            main = Clamp(main, axis.MinMain(child), axis.MaxMain(child));
        } else {
            main = Clamp(main, axis.MinMain(child), axis.MaxMain(child));
            fixedLeft -= main;
        }
        const int cross = CrossSize(child, axis, availCross - crossPads, bound);
        const int crossLead = CrossLead(axis, alignment, area, crossBar, pad, cross);
        const int lead = position + leadPad;
        child->Place(axis.Rect(lead, lead + main, crossLead, crossLead + cross), false);

        position += main + gap + leadPad + trailPad;
        mainNeeded += main + leadPad + trailPad;
        crossPlaced = std::max(crossPlaced, cross + crossPads);
        remaining -= main + gap + trailPad;
    }
    if (vertical_) {
        UpdateScrollBars(area, measured.crossNeeded, mainNeeded);
    } else {
        UpdateScrollBars(area, mainNeeded, crossPlaced);
    }
}

void CLinearLayoutUI::ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, vertical_ ? L"sepheight" : L"sepwidth")) {
        separatorSize_ = ParseInt(value);
    } else if (Is(name, L"sepimm")) {
        SetImmediateMode(ParseBoolValue(value));
    } else {
        CContainerUI::ApplyOwnAttribute(name, value);
    }
}

void CLinearLayoutUI::SetImmediateMode(bool immediate) {
    if (immediate == immediate_) {
        return;
    }
    if (IsDragging() && !immediate_ && manager_ != nullptr) {
        manager_->RemovePostPaint(this);
    }
    immediate_ = immediate;
}

CUiRect CLinearLayoutUI::StripAt(const RECT& rect) const {
    const Axis axis{vertical_};
    const int thickness = Scale(std::abs(separatorSize_));
    if (separatorSize_ < 0) {
        const LONG lead = axis.Lead(rect);
        return axis.Rect(lead, std::min<LONG>(lead + thickness, axis.Trail(rect)), axis.CrossLead(rect),
                         axis.CrossTrail(rect));
    }
    const LONG trail = axis.Trail(rect);
    return axis.Rect(std::max<LONG>(trail - thickness, axis.Lead(rect)), trail, axis.CrossLead(rect),
                     axis.CrossTrail(rect));
}

CUiRect CLinearLayoutUI::SeparatorRect() const {
    return StripAt(IsDragging() ? newRect_ : itemRect_);
}

void CLinearLayoutUI::ProcessEvent(UiEvent& event) {
    const CUiRect strip = SeparatorRect();
    const bool overStrip = separatorSize_ != 0 && IsEnabled() && PtInRect(&strip, event.mousePoint) != FALSE;
    switch (event.type) {
    case UiEventType::SetCursor:
        if (overStrip) {
            ::SetCursor(LoadCursorW(nullptr, vertical_ ? IDC_SIZENS : IDC_SIZEWE));
            return;
        }
        break;
    case UiEventType::ButtonDown:
        if (overStrip) {
            BeginDrag(event.mousePoint);
            return;
        }
        break;
    case UiEventType::MouseMove:
        if (IsDragging()) {
            DragTo(event.mousePoint);
            return;
        }
        break;
    case UiEventType::ButtonUp:
    case UiEventType::CaptureLost:
        if (IsDragging()) {
            EndDrag();
            return;
        }
        break;
    default:
        break;
    }
    CContainerUI::ProcessEvent(event);
}

void CLinearLayoutUI::BeginDrag(POINT point) {
    dragState_ |= kDragging;
    lastPointer_ = point;
    newRect_ = itemRect_;
    if (!immediate_ && manager_ != nullptr) {
        manager_->AddPostPaint(this);
    }
}

bool CLinearLayoutUI::DraggedRect(int delta, int pointer, CUiRect* rect) const {
    const Axis axis{vertical_};
    const bool leading = separatorSize_ < 0;
    const int outward = leading ? -1 : 1;  // the direction in which the layout grows
    const LONG outer = leading ? axis.Lead(newRect_) : axis.Trail(newRect_);
    const LONG inner = outer - outward * Scale(std::abs(separatorSize_));
    // The strip follows the pointer: growing waits while the pointer is
    // still inside the strip's inner edge, shrinking while it is beyond the
    // outer edge.
    if ((delta * outward > 0 && (pointer - inner) * outward < 0) ||
        (delta * outward < 0 && (pointer - outer) * outward > 0)) {
        return false;
    }
    *rect = newRect_;
    LONG& moved = leading ? axis.Lead(*rect) : axis.Trail(*rect);
    const LONG anchor = leading ? axis.Trail(newRect_) : axis.Lead(newRect_);
    const int current = (outer - anchor) * outward;
    const int minimum = axis.MinMain(this);
    const int maximum = axis.MaxMain(this);
    moved += delta;
    const int size = (moved - anchor) * outward;
    if (size <= minimum) {
        if (current <= minimum) {
            return false;
        }
        moved = anchor + outward * minimum;
    } else if (size >= maximum) {
        if (current >= maximum) {
            return false;
        }
        moved = anchor + outward * maximum;
    }
    return true;
}

void CLinearLayoutUI::DragTo(POINT point) {
    const Axis axis{vertical_};
    const int delta = axis.Main(point) - axis.Main(lastPointer_);
    lastPointer_ = point;
    CUiRect rect;
    if (!DraggedRect(delta, axis.Main(point), &rect)) {
        return;
    }
    CUiRect repaint = SeparatorRect();
    newRect_ = rect;
    // The new size becomes the layout's own, without a layout pass yet.
    const int size = Unscale(axis.Trail(newRect_) - axis.Lead(newRect_));
    (vertical_ ? fixedHeight_ : fixedWidth_) = size;
    if (immediate_) {
        itemRect_ = newRect_;
        RequestParentUpdate();
        return;
    }
    repaint.Union(SeparatorRect());
    repaint.Union(StripAt(itemRect_));
    if (manager_ != nullptr) {
        manager_->InvalidateArea(repaint);
    }
}

void CLinearLayoutUI::EndDrag() {
    dragState_ &= ~kDragging;
    itemRect_ = newRect_;
    if (!immediate_ && manager_ != nullptr) {
        manager_->RemovePostPaint(this);
    }
    RequestParentUpdate();
}

void CLinearLayoutUI::PaintAfterChildren(HDC dc, const RECT&) {
    if (IsDragging() && !immediate_) {
        CUiRender::FillColor(dc, StripAt(newRect_), kDragStripColor);
    }
}

int CLinearLayoutUI::Unscale(int value) const {
    return manager_ != nullptr ? manager_->DpiScale().UnscaleValue(value) : value;
}

}  // namespace Orvel
