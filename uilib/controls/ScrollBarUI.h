#pragma once
#include "ControlUI.h"

namespace Orvel {

class CContainerUI;

// A drawn scroll bar: an optional first button (up or left), an optional
// second button (down or right), a track and a thumb, each painted with
// images per state. As a container's bar it turns every action into the
// owner's own scroll operations; standing alone it moves its own position
// and sends "scroll". A held button or track press repeats on timer 10.
class CScrollBarUI : public CControlUI {
public:
    // State bits of the buttons and the thumb.
    enum : UINT {
        StateDisabled = 0x04,
        StateHot = 0x08,
        StatePushed = 0x10,
        StateCaptured = 0x40,  // thumb only: a drag is running
    };
    // The parts that have images, and their looks.
    enum class Part { Background, Button1, Button2, Thumb, Rail };
    enum class Look { Normal, Hot, Pushed, Disabled };

    static constexpr UINT kRepeatTimerId = 10;
    static constexpr UINT kRepeatInterval = 50;
    // Ticks a held button or track press waits before it repeats.
    static constexpr UINT kRepeatDelayTicks = 5;

    CScrollBarUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    // The owner decides where its bars go: no re-layout.
    void SetVisible(bool visible = true) override;
    // Disabling clears the state of both buttons and the thumb.
    void SetEnabled(bool enabled = true) override;
    // A container's bar hands the focus to its owner.
    void TakeFocus() override;
    void Place(const RECT& rect, bool invalidate = true) override;
    void ProcessEvent(UiEvent& event) override;
    void Paint(HDC dc, const RECT& paintRect) override;

    // The container served, or null for a bar standing alone (not owned).
    CContainerUI* Owner() const { return owner_; }
    void SetOwner(CContainerUI* owner) { owner_ = owner; }
    bool IsHorizontal() const { return horizontal_; }
    void SetHorizontal(bool horizontal = true);
    // Positions run 0..ScrollRange(); the position follows a lowered range.
    int ScrollRange() const { return range_; }
    void SetScrollRange(int range);
    int ScrollPos() const { return position_; }
    void SetScrollPos(int position);
    // The step of the buttons of a bar without owner.
    int LineSize() const { return lineSize_; }
    void SetLineSize(int size) { lineSize_ = size; }
    bool ShowsButton1() const { return showButton1_; }
    void SetShowButton1(bool show);
    bool ShowsButton2() const { return showButton2_; }
    void SetShowButton2(bool show);

    const CUiString& Image(Part part, Look look) const;
    void SetImage(Part part, Look look, const wchar_t* image);

    // Window coordinates; an empty thumb means the bar has no room for one.
    const CUiRect& Button1Rect() const { return button1Rect_; }
    const CUiRect& Button2Rect() const { return button2Rect_; }
    const CUiRect& ThumbRect() const { return thumbRect_; }
    UINT Button1State() const { return button1State_; }
    UINT Button2State() const { return button2State_; }
    UINT ThumbState() const { return thumbState_; }

protected:
    void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) override;

private:
    // The bar's thickness: its fixed width, or fixed height when horizontal.
    int ButtonSize() const;
    // Along the bar: y of a vertical bar, x of a horizontal one.
    int Along(const POINT& point) const;
    int Along(const SIZE& size) const;
    int Length(const RECT& rect) const;
    void PlaceParts();
    void Press(POINT point);
    void Release();
    void Drag(POINT point);
    void Tick();
    // One step back (-1) or forward (+1), by line or by page.
    void StepLine(int direction);
    void StepPage(int direction);
    // -1 before the thumb, +1 after it, 0 on it.
    int SideOfThumb(POINT point) const;
    // Moves to drag start + drag offset; false when that changes nothing.
    bool ApplyDrag();
    void NotifyScroll();
    void ForwardEvent(UiEvent& event);
    void PaintPart(HDC dc, Part part, const RECT& rect, UINT state, bool outlined);
    const CUiString* ImageForState(Part part, UINT state) const;

    bool horizontal_;
    int range_;
    int position_;
    int lineSize_;
    CContainerUI* owner_;  // not owned
    POINT dragStartPoint_;
    int dragStartPosition_;
    int dragOffset_;
    UINT repeatTicks_;
    bool showButton1_;
    CUiRect button1Rect_;
    UINT button1State_;
    bool showButton2_;
    CUiRect button2Rect_;
    UINT button2State_;
    CUiRect thumbRect_;
    UINT thumbState_;
    CUiString images_[5][4];  // by Part, then Look
    CUiString drawModifier_;
};

}  // namespace Orvel
