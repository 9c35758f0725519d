#pragma once
#include "ControlUI.h"

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
    void ApplyAttribute(const wchar_t* name, const wchar_t* value) override;
    // With auto width, measures the text first and takes its width as the
    // fixed width. Without a fixed height: the font's text height + 4.
    CUiSize MeasureSize(const SIZE& available) override;
    void DrawTextContent(HDC dc) override;

    virtual bool IsAutoWidth() const;
    // Takes effect at the next layout pass.
    virtual void SetAutoWidth(bool autoWidth);

    // 0 stands for the window's default (disabled) text colour.
    DWORD TextColor() const { return textColor_; }
    void SetTextColor(DWORD argb);
    DWORD DisabledTextColor() const { return disabledTextColor_; }
    void SetDisabledTextColor(DWORD argb);
    // A font id registered with the manager; -1 for the window's default font.
    int Font() const { return font_; }
    void SetFont(int id);
    // DT_* flags.
    UINT TextStyle() const { return textStyle_; }
    void SetTextStyle(UINT style);
    // Scaled.
    CUiRect TextPadding() const;
    void SetTextPadding(const RECT& padding);
    bool IsShowHtml() const { return showHtml_; }
    void SetShowHtml(bool showHtml);

protected:
    // A mouse event for a control that takes no mouse input goes to its
    // parent (or to the label's own handling at the root): true when it did.
    bool PassIgnoredMouseEvent(UiEvent& event);
    // Colours of 0 take the window's defaults, for good, at the first paint.
    void ResolveDefaultColors();
    // The text in the item rectangle less the text padding.
    void DrawLabelText(HDC dc, DWORD argb, int font);

    DWORD textColor_;
    DWORD disabledTextColor_;
    int font_;
    UINT textStyle_;
    CUiRect textPadding_;
    bool showHtml_;
    bool autoWidth_;
};

}  // namespace Orvel
