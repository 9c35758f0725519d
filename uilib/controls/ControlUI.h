#pragma once
#include "UiEvent.h"
#include "UiEventSource.h"
#include "UiPlatform.h"
#include "UiRect.h"
#include "UiString.h"

namespace Orvel {

class CControlUI;
class CPaintManagerUI;

// Visitor for FindBy: returns the control that ends the search, or null to go on.
using FindControlProc = CControlUI* (*)(CControlUI* control, void* data);

// FindBy flags.
enum UiFindFlags : UINT {
    UiFindVisible = 0x1,
    UiFindEnabled = 0x2,
    UiFindHitTest = 0x4,
    UiFindUpdateTest = 0x8,
    UiFindTopFirst = 0x10,
    UiFindMeFirst = 0x80000000,
};

// TraitFlags bits.
enum UiTraitFlags : UINT {
    UiTraitTabStop = 0x1,
    UiTraitWantsCursor = 0x2,
    // Takes the Tab key itself instead of moving the focus (a rich edit field).
    UiTraitWantsTab = 0x4,
};

// Anchors of a floating control: fractions of the parent's width and height.
struct UiFloatAnchors {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

// The base of every element of a skinned window: geometry and layout
// constraints, flags, text, colours, images and border, markup attributes,
// event handling with bubbling to the parent, and a fixed order of paint
// steps that derived controls override one by one. Sizes are stored as
// written in markup (96-DPI) and scaled by the window's display scale when
// read. The virtual operations keep their order: derived classes override
// single slots.
class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual const CUiString& Name() const;
    virtual void SetName(const wchar_t* name);
    virtual const wchar_t* ClassName() const;
    // This control for a name it answers to, null otherwise.
    virtual void* CastTo(const wchar_t* name);
    virtual UINT TraitFlags() const;
    virtual bool TryActivate();

    virtual CPaintManagerUI* Manager() const;
    virtual void Attach(CPaintManagerUI* manager, CControlUI* parent, bool initialize);
    virtual CControlUI* Parent() const;

    // The text, or with text-from-resource the registry's text for it.
    virtual CUiString Text() const;
    virtual void SetText(const wchar_t* text);
    virtual bool IsTextFromResource() const;
    virtual void SetTextFromResource(bool fromResource);
    virtual bool IsDragSource() const;
    virtual void SetDragSource(bool dragSource);
    virtual bool IsDropTarget() const;
    virtual void SetDropTarget(bool dropTarget);

    virtual CUiRect RectInParent() const;
    virtual CUiRect ClientRect() const;
    virtual const CUiRect& ItemRect() const;
    virtual void Place(const RECT& rect, bool invalidate = true);
    virtual void Shift(const SIZE& offset, bool invalidate = true);

    virtual int Width() const;
    virtual int Height() const;
    virtual int X() const;
    virtual int Y() const;

    virtual CUiRect Padding() const;
    virtual void SetPadding(const RECT& padding);
    virtual CUiSize FixedOffset() const;
    virtual void SetFixedOffset(int x, int y);
    virtual int FixedWidth() const;
    virtual void SetFixedWidth(int cx);
    virtual int FixedHeight() const;
    virtual void SetFixedHeight(int cy);

    virtual int MinWidth() const;
    virtual void SetMinWidth(int cx);
    virtual int MaxWidth() const;
    virtual void SetMaxWidth(int cx);
    virtual int MinHeight() const;
    virtual void SetMinHeight(int cy);
    virtual int MaxHeight() const;
    virtual void SetMaxHeight(int cy);

    virtual UiFloatAnchors FloatAnchors() const;
    virtual void SetFloatAnchors(double left, double top, double right, double bottom);

    virtual CUiString ToolTip() const;
    // Every "<n>" becomes a line break.
    virtual void SetToolTip(const wchar_t* text);
    virtual void SetToolTipWidth(int cx);
    virtual int ToolTipWidth() const;

    virtual int CursorId() const;
    virtual void SetCursorId(int id);
    virtual wchar_t Shortcut() const;
    virtual void SetShortcut(wchar_t ch);

    virtual bool UsesContextMenu() const;
    virtual void SetUsesContextMenu(bool uses);
    virtual const CUiString& UserData() const;
    virtual void SetUserData(const wchar_t* text);
    virtual UINT_PTR Tag() const;
    virtual void SetTag(UINT_PTR tag);

    // Visible and shown by the parent.
    virtual bool IsVisible() const;
    virtual void SetVisible(bool visible = true);
    virtual void SetShownByParent(bool shown);

    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool enabled = true);
    virtual bool AcceptsMouse() const;
    virtual void SetAcceptsMouse(bool accepts = true);
    virtual bool AcceptsKeyboard() const;
    virtual void SetAcceptsKeyboard(bool accepts = true);

    virtual bool HasFocus() const;
    virtual void TakeFocus();
    virtual bool IsFloating() const;
    virtual void SetFloating(bool floating = true);

    // The visitor's result for this control unless `flags` (UiFindFlags)
    // skip it; for UiFindHitTest, `data` points to the POINT tested.
    virtual CControlUI* FindBy(FindControlProc visitor, void* data, UINT flags);

    virtual void Initialize();
    virtual void OnInitialize();
    // The entry for events from the manager: the event hooks first, then
    // ProcessEvent unless a hook refused the event.
    virtual void HandleEvent(UiEvent& event);
    virtual void ProcessEvent(UiEvent& event);

    // One markup attribute. A value that names one of the manager's styles
    // stands for that style, whatever the attribute, unless the attribute
    // itself takes a style name; anything else goes to ApplyOwnAttribute.
    void ApplyAttribute(const wchar_t* name, const wchar_t* value);
    virtual CUiSize MeasureSize(const SIZE& available);

    virtual void Paint(HDC dc, const RECT& paintRect);
    virtual void DrawBackColor(HDC dc);
    virtual void DrawBackImage(HDC dc);
    virtual void DrawStateImage(HDC dc);
    virtual void DrawForeColor(HDC dc);
    virtual void DrawForeImage(HDC dc);
    virtual void DrawTextContent(HDC dc);
    virtual void DrawBorder(HDC dc);

    virtual void OnScaleChanged(int scale);
    virtual void PaintAfterChildren(HDC dc, const RECT& paintRect);

    void Invalidate();
    void RequestUpdate();
    void RequestParentUpdate();
    bool IsUpdateNeeded() const { return updateNeeded_; }
    // name="value" pairs separated by single spaces; "&quot;" stands for a
    // double quote. A list that names a style applies that style instead.
    void ApplyAttributeList(const wchar_t* list);

    CUiString VirtualWindow() const;
    void SetVirtualWindow(const wchar_t* name);
    // The colour as the window's HSL settings change it, when this control
    // takes part in HSL.
    DWORD AdjustColor(DWORD argb) const;
    // Draws an image attribute string over the item rectangle; false when
    // there was nothing to draw.
    bool DrawImage(HDC dc, const wchar_t* image, const wchar_t* modify = nullptr);

    DWORD BackColor() const { return backColor_; }
    void SetBackColor(DWORD argb);
    DWORD BackColor2() const { return backColor2_; }
    void SetBackColor2(DWORD argb);
    DWORD BackColor3() const { return backColor3_; }
    void SetBackColor3(DWORD argb);
    DWORD ForeColor() const { return foreColor_; }
    void SetForeColor(DWORD argb);
    DWORD BorderColor() const { return borderColor_; }
    void SetBorderColor(DWORD argb);
    DWORD FocusedBorderColor() const { return focusedBorderColor_; }
    void SetFocusedBorderColor(DWORD argb);
    bool IsColorHsl() const { return colorHsl_; }
    void SetColorHsl(bool colorHsl);
    int BorderSize() const;
    void SetBorderSize(int size);
    // Per-side border widths (left, top, right, bottom), scaled.
    CUiRect BorderSides() const;
    void SetBorderSides(const RECT& sides);
    void SetLeftBorderSize(int size);
    void SetTopBorderSize(int size);
    void SetRightBorderSize(int size);
    void SetBottomBorderSize(int size);
    int BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(int style);
    CUiSize BorderRound() const;
    void SetBorderRound(const SIZE& round);
    const CUiString& BackImage() const { return backImage_; }
    void SetBackImage(const wchar_t* image);
    const CUiString& ForeImage() const { return foreImage_; }
    void SetForeImage(const wchar_t* image);
    const CUiRect& PaintRect() const { return paintRect_; }

    // Run in Initialize, at destruction and in Place with the control; with
    // the UiEvent in HandleEvent (false drops it); with the UiNotify of each
    // notification the control sends synchronously.
    CUiEventSource InitHooks;
    CUiEventSource DestroyHooks;
    CUiEventSource SizeHooks;
    CUiEventSource EventHooks;
    CUiEventSource NotifyHooks;

protected:
    // The attribute names a class knows: each class takes its own and hands
    // the rest to its base. Neither argument is null.
    virtual void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value);
    // Attributes whose value names a style meant for something else.
    virtual bool TakesStyleName(const wchar_t* name) const;
    int Scale(int value) const;
    CUiRect ScaleRect(const RECT& rect) const;
    // Hands the visible part of `rect` (cut by every ancestor) to the manager.
    void InvalidateVisible(const RECT& rect);
    void ApplyAttributeListText(const wchar_t* list);
    // SetFocus and KillFocus as controls without a focused look take them:
    // the focused flag only, no repaint. False for any other event.
    bool TrackFocusQuietly(const UiEvent& event);
    void SetSizeLimit(int* field, int value);

    CPaintManagerUI* manager_;  // not owned
    CControlUI* parent_;        // not owned
    CUiString virtualWindow_;
    CUiString name_;
    bool updateNeeded_;
    bool usesContextMenu_;
    CUiRect itemRect_;
    CUiRect padding_;
    CUiSize fixedOffset_;
    int fixedWidth_;
    int fixedHeight_;
    int minWidth_;
    int minHeight_;
    int maxWidth_;
    int maxHeight_;
    bool visible_;
    bool shownByParent_;
    bool enabled_;
    bool acceptsMouse_;
    bool acceptsKeyboard_;
    bool focused_;
    bool floating_;
    UiFloatAnchors floatAnchors_;
    bool placing_;
    bool dragSource_;
    bool dropTarget_;
    bool textFromResource_;
    CUiString text_;
    CUiString toolTip_;
    wchar_t shortcut_;
    CUiString userData_;
    UINT_PTR tag_;
    DWORD backColor_;
    DWORD backColor2_;
    DWORD backColor3_;
    DWORD foreColor_;
    CUiString backImage_;
    CUiString foreImage_;
    DWORD borderColor_;
    DWORD focusedBorderColor_;
    bool colorHsl_;
    int borderSize_;
    int borderStyle_;
    int toolTipWidth_;
    int cursorId_;
    CUiSize borderRound_;
    CUiRect paintRect_;
    CUiRect borderSides_;

private:
    // True when `value` named one of the manager's styles, now applied.
    bool ApplyStyleValue(const wchar_t* value);

    int styleDepth_;       // nesting of style lists being applied
    int styleAttributes_;  // applied from style lists since the outermost one began
};

}  // namespace Orvel
