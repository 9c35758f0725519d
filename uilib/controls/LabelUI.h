#pragma once
#include "ControlUI.h"
#include "UiTextLook.h"

namespace Orvel {

// A text in the control's rectangle, drawn with DrawText style flags, a
// colour, a font and an inner text padding, or with inline tags
// ("showhtml"). With auto width its fixed width follows its text.
class CLabelUI : public CControlUI {
public:
    CLabelUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    // Wants SetCursor events while enabled.
    UINT TraitFlags() const override;
    // With auto width the parent lays out again for the new width.
    void SetText(const wchar_t* text) override;
    void ProcessEvent(UiEvent& event) override;
    // With auto width, measures the text first and takes its width as the
    // fixed width. Without a fixed height: the font's text height + 4.
    CUiSize MeasureSize(const SIZE& available) override;
    void DrawTextContent(HDC dc) override;

    virtual bool IsAutoWidth() const;
    // Takes effect at the next layout pass.
    virtual void SetAutoWidth(bool autoWidth);

    // 0 stands for the window's default (disabled) text colour.
    DWORD TextColor() const { return look_.textColor; }
    void SetTextColor(DWORD argb);
    DWORD DisabledTextColor() const { return look_.disabledTextColor; }
    void SetDisabledTextColor(DWORD argb);
    // A font id registered with the manager; -1 for the window's default font.
    int Font() const { return look_.font; }
    void SetFont(int id);
    // DT_* flags.
    UINT TextStyle() const { return look_.style; }
    void SetTextStyle(UINT style);
    // Scaled.
    CUiRect TextPadding() const;
    void SetTextPadding(const RECT& padding);
    bool IsShowHtml() const { return look_.showHtml; }
    void SetShowHtml(bool showHtml);

protected:
    void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) override;
    // A mouse event for a control that takes no mouse input goes to its
    // parent (or to the label's own handling at the root): true when it did.
    bool PassIgnoredMouseEvent(UiEvent& event);
    // Colours of 0 take the window's defaults, for good, at the first paint.
    void ResolveDefaultColors();
    // With auto width, the fixed width becomes the text's width measured in
    // a box of `width` by `height` (scaled), plus the text padding.
    void FitWidthToText(int width, int height);
    // The item rectangle less the scaled text padding.
    CUiRect TextRect() const;
    // The text in the item rectangle less the text padding.
    void DrawLabelText(HDC dc, DWORD argb, int font);

    UiTextLook look_;
    bool autoWidth_;
};

}  // namespace Orvel
