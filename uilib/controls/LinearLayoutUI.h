#pragma once
#include "ContainerUI.h"

namespace Orvel {

// What the vertical and the horizontal layout share, written once for either
// axis: children are stacked along the axis, those without a size of their
// own share the free space, and an optional separator strip at the leading
// or trailing edge lets the user drag the layout's own size.
class CLinearLayoutUI : public CContainerUI {
public:
    // Wants SetCursor events while enabled with a separator.
    UINT TraitFlags() const override;
    // Separator drags first; everything else as any container.
    void ProcessEvent(UiEvent& event) override;
    void Place(const RECT& rect, bool invalidate = true) override;
    // The strip at the rectangle being dragged to, shaded.
    void PaintAfterChildren(HDC dc, const RECT& paintRect) override;

    bool IsVertical() const { return vertical_; }
    // 0: no separator; negative: a strip that thick at the leading (top or
    // left) edge; positive: at the trailing edge. Unscaled.
    int SeparatorSize() const { return separatorSize_; }
    void SetSeparatorSize(int size) { separatorSize_ = size; }
    // Immediate mode resizes the layout while dragging; otherwise the
    // layout keeps its rectangle and a shaded strip follows the pointer
    // until the button is released.
    bool IsImmediateMode() const { return immediate_; }
    void SetImmediateMode(bool immediate);
    bool IsDragging() const { return (dragState_ & kDragging) != 0; }
    // The separator strip at the item rectangle, or while dragging at the
    // rectangle the layout will take.
    CUiRect SeparatorRect() const;

protected:
    // "sepheight" (vertical) or "sepwidth" (horizontal), and "sepimm".
    void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) override;
    explicit CLinearLayoutUI(bool vertical);

private:
    static constexpr UINT kDragging = 0x40;

    CUiRect StripAt(const RECT& rect) const;
    void BeginDrag(POINT point);
    void DragTo(POINT point);
    void EndDrag();
    // The rectangle a drag by `delta` gives, or false when the move is dropped.
    bool DraggedRect(int delta, int pointer, CUiRect* rect) const;
    int Unscale(int value) const;

    const bool vertical_;
    int separatorSize_;
    UINT dragState_;
    POINT lastPointer_;
    CUiRect newRect_;
    bool immediate_;
};

}  // namespace Orvel
