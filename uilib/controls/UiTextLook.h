#pragma once
#include "UiPlatform.h"
#include "UiRect.h"

namespace Orvel {

class CPaintManagerUI;

// How a control draws its text: colours, font, DrawText flags, an inner
// padding and inline tags. Labels (and the controls built on them), group
// boxes and combos each keep one.
struct UiTextLook {
    DWORD textColor = 0;          // 0: the window's default text colour
    DWORD disabledTextColor = 0;  // 0: the window's default disabled colour
    int font = -1;                // a font id of the manager; -1: the window's default font
    UINT style = DT_VCENTER | DT_SINGLELINE;  // DT_* flags
    CUiRect padding;              // unscaled
    bool showHtml = false;

    // The label's text attributes: "align", "valign", "endellipsis",
    // "wordbreak", "noprefix", "font", "textcolor", "disabledtextcolor",
    // "textpadding" and "showhtml". False for any other name.
    bool ApplyAttribute(const wchar_t* name, const wchar_t* value);
    // Colours of 0 take the window's defaults, for good.
    void ResolveDefaultColors(const CPaintManagerUI& manager);
    // The colour for the control's enabled state.
    DWORD ColorFor(bool enabled) const { return enabled ? textColor : disabledTextColor; }
    // Draws `text` in `rect`, with inline tags when showHtml is set (which
    // take no font); with DT_CALCRECT in `extraStyle` it measures instead,
    // leaving the extent in `rect`.
    void Paint(HDC dc, CPaintManagerUI* manager, RECT& rect, const wchar_t* text, DWORD argb, int fontId,
               UINT extraStyle = 0) const;
    // Draws `text` inside `area` less `padding` (scaled) in the look's own
    // colour for the enabled state and its font, defaults resolved first.
    void PaintInside(HDC dc, CPaintManagerUI& manager, const RECT& area, const RECT& padding, const wchar_t* text,
                     bool enabled);
};

}  // namespace Orvel
