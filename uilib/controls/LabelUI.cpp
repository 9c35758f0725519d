#include "LabelUI.h"

#include "PaintManagerUI.h"
#include "UiFontInfo.h"
#include "UiRender.h"
#include "UiValueParser.h"

#include <cwchar>

namespace Orvel {

namespace {

bool Is(const wchar_t* name, const wchar_t* keyword) {
    return _wcsicmp(name, keyword) == 0;
}

bool Has(const wchar_t* value, const wchar_t* word) {
    return wcsstr(value, word) != nullptr;
}

UINT WithFlags(UINT style, UINT cleared, UINT set) {
    return (style & ~cleared) | set;
}

}  // namespace

CLabelUI::CLabelUI()
    : textColor_(0), disabledTextColor_(0), font_(-1), textStyle_(DT_VCENTER | DT_SINGLELINE), showHtml_(false),
      autoWidth_(false) {}

const wchar_t* CLabelUI::ClassName() const {
    return L"LabelUI";
}

void* CLabelUI::CastTo(const wchar_t* name) {
    if (name != nullptr && Is(name, L"Label")) {
        return this;
    }
    return CControlUI::CastTo(name);
}

UINT CLabelUI::TraitFlags() const {
    return IsEnabled() ? UINT{UiTraitWantsCursor} : 0u;
}

void CLabelUI::SetText(const wchar_t* text) {
    CControlUI::SetText(text);
    if (autoWidth_) {
        RequestParentUpdate();
    }
}

void CLabelUI::ProcessEvent(UiEvent& event) {
    if (TrackFocusQuietly(event)) {
        return;
    }
    CControlUI::ProcessEvent(event);
}

bool CLabelUI::PassIgnoredMouseEvent(UiEvent& event) {
    if (AcceptsMouse() || !IsMouseEvent(event.type)) {
        return false;
    }
    if (parent_ != nullptr) {
        parent_->ProcessEvent(event);
    } else {
        CLabelUI::ProcessEvent(event);
    }
    return true;
}

void CLabelUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr || ApplyStyleValue(value)) {
        return;
    }
    UINT style = textStyle_;
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
        style = ParseBoolValue(value) ? WithFlags(style, 0, DT_END_ELLIPSIS) : WithFlags(style, DT_END_ELLIPSIS, 0);
    } else if (Is(name, L"wordbreak")) {
        style = ParseBoolValue(value) ? WithFlags(style, DT_SINGLELINE, DT_WORDBREAK | DT_EDITCONTROL)
                                      : WithFlags(style, DT_WORDBREAK | DT_EDITCONTROL, DT_SINGLELINE);
    } else if (Is(name, L"noprefix")) {
        style = ParseBoolValue(value) ? WithFlags(style, 0, DT_NOPREFIX) : WithFlags(style, DT_NOPREFIX, 0);
    } else if (Is(name, L"font")) {
        SetFont(ParseInt(value));
    } else if (Is(name, L"textcolor")) {
        SetTextColor(ParseColorValue(value));
    } else if (Is(name, L"disabledtextcolor")) {
        SetDisabledTextColor(ParseColorValue(value));
    } else if (Is(name, L"textpadding")) {
        SetTextPadding(ParseRectValue(value));
    } else if (Is(name, L"showhtml")) {
        SetShowHtml(ParseBoolValue(value));
    } else if (Is(name, L"autocalcwidth")) {
        SetAutoWidth(ParseBoolValue(value));
    } else {
        CControlUI::ApplyAttribute(name, value);
        return;
    }
    SetTextStyle(style);
}

CUiSize CLabelUI::MeasureSize(const SIZE& available) {
    // Without the window's context there is nothing to measure with yet.
    HDC dc = manager_ != nullptr ? manager_->PaintDC() : nullptr;
    if (autoWidth_ && dc != nullptr) {
        const CUiString text = Text();
        RECT bounds = {0, 0, available.cx, available.cy};
        if (text.IsEmpty()) {
            bounds.right = 0;
        } else if (showHtml_) {
            int links = 0;
            CUiRender::PaintRichText(dc, manager_, bounds, text, 0, nullptr, nullptr, links,
                                     textStyle_ | DT_CALCRECT);
        } else {
            CUiRender::PaintText(dc, manager_, bounds, text, 0, font_, textStyle_ | DT_CALCRECT);
        }
        const CUiRect padding = TextPadding();
        const int width = bounds.right - bounds.left + padding.left + padding.right;
        // Stored as written in markup, and without a new layout pass.
        fixedWidth_ = manager_->DpiScale().UnscaleValue(width);
    }
    if (fixedHeight_ != 0) {
        return CControlUI::MeasureSize(available);
    }
    const int textHeight = manager_ != nullptr ? manager_->FontInfoById(font_)->metrics.tmHeight : 0;
    return CUiSize(FixedWidth(), textHeight + 4);
}

void CLabelUI::ResolveDefaultColors() {
    if (manager_ == nullptr) {
        return;
    }
    if (textColor_ == 0) {
        textColor_ = manager_->DefaultFontColor();
    }
    if (disabledTextColor_ == 0) {
        disabledTextColor_ = manager_->DefaultDisabledColor();
    }
}

void CLabelUI::DrawTextContent(HDC dc) {
    ResolveDefaultColors();
    DrawLabelText(dc, IsEnabled() ? textColor_ : disabledTextColor_, font_);
}

void CLabelUI::DrawLabelText(HDC dc, DWORD argb, int font) {
    const CUiString text = Text();
    if (text.IsEmpty()) {
        return;
    }
    const CUiRect padding = TextPadding();
    RECT rect = {itemRect_.left + padding.left, itemRect_.top + padding.top, itemRect_.right - padding.right,
                 itemRect_.bottom - padding.bottom};
    if (showHtml_) {
        int links = 0;
        CUiRender::PaintRichText(dc, manager_, rect, text, argb, nullptr, nullptr, links, textStyle_);
    } else {
        CUiRender::PaintText(dc, manager_, rect, text, argb, font, textStyle_);
    }
}

bool CLabelUI::IsAutoWidth() const {
    return autoWidth_;
}

void CLabelUI::SetAutoWidth(bool autoWidth) {
    autoWidth_ = autoWidth;
}

void CLabelUI::SetTextColor(DWORD argb) {
    textColor_ = argb;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(DWORD argb) {
    disabledTextColor_ = argb;
    Invalidate();
}

void CLabelUI::SetFont(int id) {
    font_ = id;
    Invalidate();
}

void CLabelUI::SetTextStyle(UINT style) {
    if (textStyle_ != style) {
        textStyle_ = style;
        Invalidate();
    }
}

CUiRect CLabelUI::TextPadding() const {
    return ScaleRect(textPadding_);
}

void CLabelUI::SetTextPadding(const RECT& padding) {
    textPadding_ = padding;
    Invalidate();
}

void CLabelUI::SetShowHtml(bool showHtml) {
    if (showHtml_ != showHtml) {
        showHtml_ = showHtml;
        Invalidate();
    }
}

}  // namespace Orvel
