#pragma once
#include "UiTextLook.h"
#include "VerticalLayoutUI.h"

namespace Orvel {

// A vertical layout drawn as a titled frame: a border 5 pixels inside its
// edges, and its text as a caption over the top border line near the left
// corner. The default inset leaves room for the caption.
class CGroupBoxUI : public CVerticalLayoutUI {
public:
    CGroupBoxUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    // The caption.
    void DrawTextContent(HDC dc) override;
    // The frame, then the caption once more over its line.
    void DrawBorder(HDC dc) override;

    // 0 stands for the window's default (disabled) text colour.
    DWORD TextColor() const { return look_.textColor; }
    void SetTextColor(DWORD argb);
    DWORD DisabledTextColor() const { return look_.disabledTextColor; }
    void SetDisabledTextColor(DWORD argb);
    // A font id registered with the manager; -1 for the window's default font.
    int Font() const { return look_.font; }
    void SetFont(int id);
    // DT_* flags of the caption.
    UINT TextStyle() const { return look_.style; }
    void SetTextStyle(UINT style);
    // Scaled.
    CUiRect TextPadding() const;
    void SetTextPadding(const RECT& padding);
    // Where the caption goes (empty without a text or a manager).
    CUiRect CaptionRect(HDC dc);

protected:
    // "textcolor", "disabledtextcolor" and "font" are the caption's, and
    // every attribute reaches the vertical layout as well.
    void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) override;

private:
    CUiRect FrameRect() const;
    void DrawCaption(HDC dc);

    UiTextLook look_;
};

}  // namespace Orvel
