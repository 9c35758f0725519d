#pragma once
#include "LabelUI.h"

namespace Orvel {

// A label with hot, pushed, focused and disabled looks (images, back and
// text colours, a hot font) that follows the pointer and sends "click" when
// released over itself or activated with the space bar or the return key.
class CButtonUI : public CLabelUI {
public:
    // State bits.
    enum : UINT {
        StateFocused = 0x01,
        StateSelected = 0x02,  // options and check boxes
        StateDisabled = 0x04,
        StateHot = 0x08,
        StatePushed = 0x10,
        StateCaptured = 0x40,  // a press started on the button
    };

    CButtonUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    // A tab stop while it accepts the keyboard; wants SetCursor while enabled.
    UINT TraitFlags() const override;
    // Sends "click" when visible and enabled, then selects the bound tab
    // layout's page.
    bool TryActivate() override;
    // Disabling clears the state bits.
    void SetEnabled(bool enabled = true) override;
    void ProcessEvent(UiEvent& event) override;
    void DrawBackColor(HDC dc) override;
    void DrawStateImage(HDC dc) override;
    void DrawForeImage(HDC dc) override;
    void DrawTextContent(HDC dc) override;

    // Image attribute strings; each setter repaints.
    virtual const CUiString& NormalImage() const;
    virtual void SetNormalImage(const wchar_t* image);
    virtual const CUiString& HotImage() const;
    virtual void SetHotImage(const wchar_t* image);
    virtual const CUiString& PushedImage() const;
    virtual void SetPushedImage(const wchar_t* image);
    virtual const CUiString& FocusedImage() const;
    virtual void SetFocusedImage(const wchar_t* image);
    virtual const CUiString& DisabledImage() const;
    virtual void SetDisabledImage(const wchar_t* image);
    virtual const CUiString& HotForeImage() const;
    virtual void SetHotForeImage(const wchar_t* image);

    UINT State() const { return state_; }
    const CUiString& PushedForeImage() const { return pushedForeImage_; }
    void SetPushedForeImage(const wchar_t* image);
    // Colours are 0xAARRGGBB, 0 for none.
    void SetHotBkColor(DWORD argb);
    void SetPushedBkColor(DWORD argb);
    void SetHotTextColor(DWORD argb);
    void SetPushedTextColor(DWORD argb);
    void SetFocusedTextColor(DWORD argb);
    // A font id; 0 for none.
    void SetHotFont(int id);

    // The tab layout whose page this button selects, by name and page index.
    int BoundTabIndex() const { return boundTabIndex_; }
    void SetBoundTabIndex(int index);
    const CUiString& BoundTabLayoutName() const { return boundTabLayoutName_; }
    void SetBoundTabLayoutName(const wchar_t* name);
    // The bound control when it is a tab layout and a page index is bound;
    // null otherwise.
    CControlUI* BoundTabLayout() const;

protected:
    void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) override;
    // Focused and disabled follow the control; a disabled window leaves
    // only the disabled and selected bits.
    void RefreshState();
    bool PointerInside(const UiEvent& event) const;
    void SetImage(CUiString& field, const wchar_t* image);

    UINT state_;

private:
    void SetColor(DWORD& field, DWORD argb);

    DWORD hotBkColor_;
    DWORD pushedBkColor_;
    DWORD hotTextColor_;
    DWORD pushedTextColor_;
    DWORD focusedTextColor_;
    int hotFont_;
    CUiString normalImage_;
    CUiString hotImage_;
    CUiString hotForeImage_;
    CUiString pushedImage_;
    CUiString pushedForeImage_;
    CUiString focusedImage_;
    CUiString disabledImage_;
    int boundTabIndex_;
    CUiString boundTabLayoutName_;
};

}  // namespace Orvel
