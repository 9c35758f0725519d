#include "UiClipScope.h"

namespace Orvel {

namespace {

// Clip regions are in device units while callers pass logical rectangles.
RECT ToDevice(HDC dc, const RECT& rect) {
    RECT device = rect;
    LPtoDP(dc, reinterpret_cast<POINT*>(&device), 2);
    return device;
}

}  // namespace

UiClipScope::~UiClipScope() {
    RestorePreviousClip();
    if (region_ != nullptr) {
        DeleteObject(region_);
    }
    if (previous_ != nullptr) {
        DeleteObject(previous_);
    }
}

void UiClipScope::Open(HDC dc, const RECT& rect, HRGN clip) {
    if (dc_ != nullptr) {
        // A scope clips once; a second call replaces the first.
        RestorePreviousClip();
        DeleteObject(region_);
        if (previous_ != nullptr) {
            DeleteObject(previous_);
        }
    }
    dc_ = dc;
    rect_ = rect;
    // The exact clip in effect, so that a rounded outer clip survives an
    // inner scope; none (null) when the context was not clipped.
    previous_ = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(dc, previous_) != 1) {
        DeleteObject(previous_);
        previous_ = nullptr;
    }
    region_ = clip;
    ExtSelectClipRgn(dc, region_, RGN_AND);
    // Kept as the combined clip, which ReapplyClip selects again.
    GetClipRgn(dc, region_);
}

void UiClipScope::ClipToRect(HDC dc, const RECT& rect) {
    if (dc != nullptr) {
        RECT device = ToDevice(dc, rect);
        Open(dc, rect, CreateRectRgnIndirect(&device));
    }
}

void UiClipScope::ClipToRoundRect(HDC dc, const RECT& rect, const RECT& itemRect, int ellipseWidth,
                                  int ellipseHeight) {
    if (dc == nullptr) {
        return;
    }
    RECT device = ToDevice(dc, rect);
    RECT item = ToDevice(dc, itemRect);
    HRGN clip = CreateRectRgnIndirect(&device);
    HRGN round = CreateRoundRectRgn(item.left, item.top, item.right + 1, item.bottom + 1, ellipseWidth, ellipseHeight);
    CombineRgn(clip, clip, round, RGN_AND);
    DeleteObject(round);
    Open(dc, rect, clip);
}

void UiClipScope::RestorePreviousClip() {
    if (dc_ != nullptr) {
        SelectClipRgn(dc_, previous_);
    }
}

void UiClipScope::ReapplyClip() {
    if (dc_ != nullptr) {
        SelectClipRgn(dc_, region_);
    }
}

}  // namespace Orvel
