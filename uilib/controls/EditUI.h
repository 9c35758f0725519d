#pragma once
#include "LabelUI.h"

namespace Orvel {

class CEditWnd;

// A single-line text field. Without the focus it is drawn like a label
// (state images, a placeholder while empty, masked text for passwords);
// with the focus a native edit window (CEditWnd) lies over its text area,
// and every change typed there comes back as the field's text with the
// notification "textchanged". Enter in the native window sends "return".
class CEditUI : public CLabelUI {
public:
    // State bits.
    enum : UINT {
        StateFocused = 0x01,
        StateDisabled = 0x04,
        StateHot = 0x08,
    };
    // The native back colour that leaves the native window its own colours.
    static constexpr DWORD kNoNativeColor = 0xFFFFFFFF;

    CEditUI();
    ~CEditUI() override;

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    // The native window, while one is open, shows the new text too.
    void SetText(const wchar_t* text) override;
    // A field hidden while editing gives up the focus, which closes the
    // native window.
    void SetVisible(bool visible = true) override;
    void SetShownByParent(bool shown) override;
    void SetEnabled(bool enabled = true) override;
    // The native window follows the field.
    void Place(const RECT& rect, bool invalidate = true) override;
    void Shift(const SIZE& offset, bool invalidate = true) override;
    void ProcessEvent(UiEvent& event) override;
    // Without a fixed height: the font's text height + 6.
    CUiSize MeasureSize(const SIZE& available) override;
    void DrawStateImage(HDC dc) override;
    void DrawTextContent(HDC dc) override;

    // The open native window, or null while not editing.
    CEditWnd* EditWindow() const { return editWnd_; }
    HWND EditWindowHandle() const;

    UINT MaxChar() const { return maxChar_; }
    void SetMaxChar(UINT maxChar);
    bool IsReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    // Takes effect the next time the native window opens.
    bool IsNumberOnly() const { return (extraStyle_ & ES_NUMBER) != 0; }
    void SetNumberOnly(bool numberOnly);
    bool IsPassword() const { return password_; }
    void SetPassword(bool password);
    wchar_t PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(wchar_t ch);
    UINT State() const { return state_; }
    void SetNormalImage(const wchar_t* image);
    void SetHotImage(const wchar_t* image);
    void SetFocusedImage(const wchar_t* image);
    void SetDisabledImage(const wchar_t* image);
    // The placeholder, resolved like the text when that comes from resources.
    CUiString TipValue() const;
    void SetTipValue(const wchar_t* text);
    DWORD TipValueColor() const { return tipValueColor_; }
    void SetTipValueColor(DWORD argb);
    // 0: the field's text colour.
    DWORD NativeTextColor() const { return nativeTextColor_; }
    void SetNativeTextColor(DWORD argb);
    // kNoNativeColor: the native window keeps its own colours.
    DWORD NativeBkColor() const { return nativeBkColor_; }
    void SetNativeBkColor(DWORD argb);
    // Style bits added to the native window when it opens.
    UINT ExtraWindowStyle() const { return extraStyle_; }

protected:
    void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) override;

private:
    friend class CEditWnd;

    void SetImage(CUiString& field, const wchar_t* image);
    // Focus leaves a field that cannot be seen while it is being edited.
    void EndEditingWhenHidden();
    // The text as drawn: one password character per character.
    CUiString MaskedText(const CUiString& text) const;
    LRESULT SendToEditWindow(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    CEditWnd* editWnd_;  // not owned: the window deletes itself and clears this
    UINT maxChar_;
    bool readOnly_;
    bool password_;
    wchar_t passwordChar_;
    UINT state_;
    CUiString normalImage_;
    CUiString hotImage_;
    CUiString focusedImage_;
    CUiString disabledImage_;
    CUiString tipValue_;
    DWORD tipValueColor_;
    DWORD nativeBkColor_;
    DWORD nativeTextColor_;
    UINT extraStyle_;
};

}  // namespace Orvel
