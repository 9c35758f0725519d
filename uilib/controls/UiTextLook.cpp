#include "UiTextLook.h"

#include "PaintManagerUI.h"
#include "UiRender.h"
#include "UiValueParser.h"

#include <cwchar>

namespace Orvel {

namespace {

bool Has(const wchar_t* value, const wchar_t* word) {
    return wcsstr(value, word) != nullptr;
}

UINT WithFlags(UINT style, UINT cleared, UINT set) {
    return (style & ~cleared) | set;
}

UINT WithFlag(UINT style, UINT flag, bool on) {
    return on ? (style | flag) : (style & ~flag);
}

}  // namespace

bool UiTextLook::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"align")) {
        if (Has(value, L"left")) {
            style = WithFlags(style, DT_CENTER | DT_RIGHT, 0);
        }
        if (Has(value, L"center")) {
            style = WithFlags(style, DT_RIGHT, DT_CENTER);
        }
        if (Has(value, L"right")) {
            style = WithFlags(style, DT_CENTER, DT_RIGHT);
        }
    } else if (Is(name, L"valign")) {
        if (Has(value, L"top")) {
            style = WithFlags(style, DT_VCENTER | DT_BOTTOM | DT_WORDBREAK, DT_SINGLELINE);
        }
        if (Has(value, L"vcenter")) {
            style = WithFlags(style, DT_BOTTOM | DT_WORDBREAK, DT_VCENTER | DT_SINGLELINE);
        }
        if (Has(value, L"bottom")) {
            style = WithFlags(style, DT_VCENTER | DT_WORDBREAK, DT_BOTTOM | DT_SINGLELINE);
        }
    } else if (Is(name, L"endellipsis")) {
        style = WithFlag(style, DT_END_ELLIPSIS, ParseBoolValue(value));
    } else if (Is(name, L"wordbreak")) {
        style = ParseBoolValue(value) ? WithFlags(style, DT_SINGLELINE, DT_WORDBREAK | DT_EDITCONTROL)
                                      : WithFlags(style, DT_WORDBREAK | DT_EDITCONTROL, DT_SINGLELINE);
    } else if (Is(name, L"noprefix")) {
        style = WithFlag(style, DT_NOPREFIX, ParseBoolValue(value));
    } else if (Is(name, L"font")) {
        font = ParseInt(value);
    } else if (Is(name, L"textcolor")) {
        textColor = ParseColorValue(value);
    } else if (Is(name, L"disabledtextcolor")) {
        disabledTextColor = ParseColorValue(value);
    } else if (Is(name, L"textpadding")) {
        padding = ParseRectValue(value);
    } else if (Is(name, L"showhtml")) {
        showHtml = ParseBoolValue(value);
    } else {
        return false;
    }
    return true;
}

void UiTextLook::ResolveDefaultColors(const CPaintManagerUI& manager) {
    if (textColor == 0) {
        textColor = manager.DefaultFontColor();
    }
    if (disabledTextColor == 0) {
        disabledTextColor = manager.DefaultDisabledColor();
    }
}

void UiTextLook::Paint(HDC dc, CPaintManagerUI* manager, RECT& rect, const wchar_t* text, DWORD argb, int fontId,
                       UINT extraStyle) const {
    if (showHtml) {
        int links = 0;
        CUiRender::PaintRichText(dc, manager, rect, text, argb, nullptr, nullptr, links, style | extraStyle);
    } else {
        CUiRender::PaintText(dc, manager, rect, text, argb, fontId, style | extraStyle);
    }
}

void UiTextLook::PaintInside(HDC dc, CPaintManagerUI& manager, const RECT& area, const RECT& padding,
                             const wchar_t* text, bool enabled) {
    ResolveDefaultColors(manager);
    RECT rect = {area.left + padding.left, area.top + padding.top, area.right - padding.right,
                 area.bottom - padding.bottom};
    Paint(dc, &manager, rect, text, ColorFor(enabled), font);
}

}  // namespace Orvel
