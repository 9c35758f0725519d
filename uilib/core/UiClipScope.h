#pragma once
#include "UiPlatform.h"
#include "UiRect.h"

namespace Orvel {

// Narrows a device context's clip for the life of a stack object; the clip
// that was in effect before is selected again when the scope ends.
class UiClipScope {
public:
    UiClipScope() = default;
    ~UiClipScope();
    UiClipScope(const UiClipScope&) = delete;
    UiClipScope& operator=(const UiClipScope&) = delete;

    // Intersects the clip with `rect`.
    void ClipToRect(HDC dc, const RECT& rect);
    // Intersects the clip with `rect` and a rounded rectangle over `itemRect`.
    void ClipToRoundRect(HDC dc, const RECT& rect, const RECT& itemRect, int ellipseWidth, int ellipseHeight);
    // Lifts this scope's clip, back to what it was before.
    void RestorePreviousClip();
    // Selects this scope's clip again after RestorePreviousClip.
    void ReapplyClip();

private:
    void Open(HDC dc, const RECT& rect, HRGN clip);

    CUiRect rect_;
    HDC dc_ = nullptr;          // not owned
    HRGN region_ = nullptr;     // owned
    HRGN previous_ = nullptr;   // owned
};

}  // namespace Orvel
