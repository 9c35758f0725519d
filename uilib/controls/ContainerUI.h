#pragma once
#include "ControlUI.h"
#include "UiPtrArray.h"

namespace Orvel {

class CScrollBarUI;

// The child list of a container, as the layout builder and other controls
// see it. Indices run 0..ItemCount()-1.
class IContainerUI {
public:
    // Null outside the index range.
    virtual CControlUI* ItemAt(int index) const = 0;
    // -1 when the control is not a child.
    virtual int IndexOf(CControlUI* control) const = 0;
    virtual bool MoveItem(CControlUI* control, int index) = 0;
    virtual int ItemCount() const = 0;
    // The container takes the child (see CContainerUI::OwnsChildren).
    virtual bool Add(CControlUI* control) = 0;
    virtual bool AddAt(CControlUI* control, int index) = 0;
    virtual bool Remove(CControlUI* control) = 0;
    virtual bool RemoveAt(int index) = 0;
    virtual void RemoveAll() = 0;

protected:
    ~IContainerUI() = default;
};

// What a layout reads of one of its scroll bars; a missing or hidden bar
// reads as not visible with every number 0.
struct UiScrollBarMetrics {
    bool visible = false;
    bool enabled = false;
    int thickness = 0;  // fixed width of a vertical bar, fixed height of a horizontal one
    int range = 0;
    int position = 0;
};

// A control that owns an ordered list of children, keeps an inner margin
// (inset), forwards state changes to its children and paints and hit-tests
// them inside its own rectangle. A plain container places every child over
// its whole client area; the linear layouts stack them.
class CContainerUI : public CControlUI, public IContainerUI {
public:
    // Child horizontal alignment values (ChildAlign).
    enum { AlignLeft = 0, AlignCenter = 1, AlignRight = 2 };
    // Child vertical alignment values (ChildVAlign).
    enum { AlignTop = 0, AlignVCenter = 4, AlignBottom = 8 };

    CContainerUI();
    ~CContainerUI() override;

    const wchar_t* ClassName() const override;
    // "IContainer" gives the IContainerUI view, "Container" the container.
    void* CastTo(const wchar_t* name) override;
    void Attach(CPaintManagerUI* manager, CControlUI* parent, bool initialize) override;
    // The item rectangle less the inset, corrected for visible scroll bars.
    CUiRect ClientRect() const override;
    void Place(const RECT& rect, bool invalidate = true) override;
    void Shift(const SIZE& offset, bool invalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetShownByParent(bool shown) override;
    // Every child takes the same enabled state.
    void SetEnabled(bool enabled = true) override;
    // The scroll bars take the same setting.
    void SetAcceptsMouse(bool accepts = true) override;
    // Adds the flags UiFindUpdateTest and UiFindTopFirst, and UiFindMeFirst.
    CControlUI* FindBy(FindControlProc visitor, void* data, UINT flags) override;
    void ProcessEvent(UiEvent& event) override;
    // Children and floating children are clipped to the container.
    void Paint(HDC dc, const RECT& paintRect) override;
    void OnScaleChanged(int scale) override;

    CControlUI* ItemAt(int index) const override;
    int IndexOf(CControlUI* control) const override;
    // False when the control is absent or `index` is no child's index.
    bool MoveItem(CControlUI* control, int index) override;
    int ItemCount() const override;
    // A null control is refused. The child joins the container's manager.
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    // An owned child is deleted, at once or after the current message.
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    // Scaled.
    virtual CUiRect Inset() const;
    virtual void SetInset(const RECT& inset);
    // The gap between consecutive children, scaled.
    virtual int ChildPadding() const;
    virtual void SetChildPadding(int padding);
    virtual int ChildAlign() const;
    virtual void SetChildAlign(int align);
    virtual int ChildVAlign() const;
    virtual void SetChildVAlign(int align);
    // Removed children are destroyed (default).
    virtual bool OwnsChildren() const;
    virtual void SetOwnsChildren(bool owns);
    // Removed children are deleted by the manager after the current message
    // (default), so a child may remove itself while it handles an event.
    virtual bool DefersChildDeletion() const;
    virtual void SetDefersChildDeletion(bool defers);
    // Hit tests descend into children (default).
    virtual bool ChildrenTakeMouse() const;
    virtual void SetChildrenTakeMouse(bool takes);
    // The index of a visible, enabled list item at or after (forward) or at
    // or before `index`; -1 when there is none.
    virtual int NextSelectable(int index, bool forward);

    // Horizontal and vertical position of the scroll bars (0 without them).
    virtual CUiSize ScrollOffset() const;
    // Ranges of the scroll bars (0 without them).
    virtual CUiSize ScrollExtent() const;
    virtual void ScrollTo(const SIZE& offset, bool notify = true);
    virtual void SetScrollStep(int step);
    // Scaled; 0 means the default line steps.
    virtual int ScrollStep() const;
    virtual void ScrollLineUp();
    virtual void ScrollLineDown();
    virtual void ScrollPageUp();
    virtual void ScrollPageDown();
    virtual void ScrollToTop();
    virtual void ScrollToBottom();
    virtual void ScrollLineLeft();
    virtual void ScrollLineRight();
    virtual void ScrollPageLeft();
    virtual void ScrollPageRight();
    virtual void ScrollToLeft();
    virtual void ScrollToRight();
    // Creates a requested bar that is missing and destroys one that is no
    // longer requested. A new bar takes the window's default attribute list
    // for "VScrollBar" or "HScrollBar", then the container's bar style.
    virtual void ShowScrollBars(bool vertical, bool horizontal);
    // Owned by the container; null while not shown.
    virtual CScrollBarUI* VerticalBar() const;
    virtual CScrollBarUI* HorizontalBar() const;
    // Places a visible floating child by its anchors and fixed offset within
    // the item rectangle (inset and scrolling do not apply).
    virtual void PlaceFloatingChild(int index);
    // Given the scrolled area `rect` and the size the children need.
    virtual void UpdateScrollBars(const RECT& rect, int cxNeeded, int cyNeeded);

    UiScrollBarMetrics VerticalBarMetrics() const;
    UiScrollBarMetrics HorizontalBarMetrics() const;

protected:
    void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) override;
    // "vscrollbarstyle" and "hscrollbarstyle" name the bars' styles.
    bool TakesStyleName(const wchar_t* name) const override;
    // The item rectangle less the scaled inset.
    CUiRect InsideInset() const;
    // The item rectangle less the scaled inset and the visible bars'
    // thickness: where non-floating children show.
    CUiRect ChildArea() const;
    // The child at `index` when a layout places it: visible and not floating.
    // A visible floating child is placed by its anchors here instead.
    CControlUI* LaidOutChild(int index);
    // A removed child, when the container owns it.
    void DisposeChild(CControlUI* child);
    void PaintChildren(HDC dc, const RECT& paintRect);
    int VerticalLineStep() const;
    int HorizontalLineStep() const;
    int VerticalPage() const;
    int HorizontalPage() const;
    void ScrollBy(int dx, int dy);
    // The scroll operation a key or wheel event asks of one bar; false when none.
    bool ScrollByEvent(const UiEvent& event, bool vertical);
    // Hides a shown bar without a range, or shows a hidden one that is
    // needed; false when the bar was not visible before and stays so.
    bool UpdateBar(CScrollBarUI* bar, int extra, const RECT& placed);
    CScrollBarUI* CreateBar(bool horizontal);
    void ApplyBarStyle(bool horizontal);
    static void DestroyBar(CScrollBarUI*& bar);
    static UiScrollBarMetrics MetricsOf(const CScrollBarUI* bar);

    CUiPtrArray items_;  // CControlUI, owned while OwnsChildren()
    CUiRect inset_;
    int childPadding_;
    int childAlign_;
    int childVAlign_;
    bool ownsChildren_;
    bool defersChildDeletion_;
    bool childrenTakeMouse_;
    int scrollStep_;
    CScrollBarUI* verticalBar_;    // owned
    CScrollBarUI* horizontalBar_;  // owned
    CUiString verticalBarStyle_;
    CUiString horizontalBarStyle_;
};

}  // namespace Orvel
