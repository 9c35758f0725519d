#include "LabelUI.h"

#include "PaintManagerUI.h"
#include "UiFontInfo.h"
#include "UiValueParser.h"

namespace Orvel {

CLabelUI::CLabelUI() : autoWidth_(false) {}

const wchar_t* CLabelUI::ClassName() const {
    return L"LabelUI";
}

void* CLabelUI::CastTo(const wchar_t* name) {
    if (Is(name, L"Label")) {
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

void CLabelUI::ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) {
    if (look_.ApplyAttribute(name, value)) {
        Invalidate();
    } else if (Is(name, L"autocalcwidth")) {
        SetAutoWidth(ParseBoolValue(value));
    } else {
        CControlUI::ApplyOwnAttribute(name, value);
    }
}

void CLabelUI::FitWidthToText(int width, int height) {
    // Without the window's context there is nothing to measure with yet.
    HDC dc = manager_ != nullptr ? manager_->PaintDC() : nullptr;
    if (!autoWidth_ || dc == nullptr) {
        return;
    }
    const CUiString text = Text();
    RECT bounds = {0, 0, text.IsEmpty() ? 0 : width, height};
    if (!text.IsEmpty()) {
        look_.Paint(dc, manager_, bounds, text, 0, look_.font, DT_CALCRECT);
    }
    const CUiRect padding = TextPadding();
    // Stored as written in markup, and without a new layout pass.
    fixedWidth_ = manager_->DpiScale().UnscaleValue(bounds.right - bounds.left + padding.left + padding.right);
}

CUiSize CLabelUI::MeasureSize(const SIZE& available) {
    // The layout offers no more than the width of the last pass: a longer
    // text is measured in all the room the label may take.
    const CUiRect padding = TextPadding();
    FitWidthToText(MaxWidth() - padding.left - padding.right, available.cy);
    if (fixedHeight_ != 0) {
        return CControlUI::MeasureSize(available);
    }
    const int textHeight = manager_ != nullptr ? manager_->FontInfoById(look_.font)->metrics.tmHeight : 0;
    return CUiSize(FixedWidth(), textHeight + 4);
}

void CLabelUI::ResolveDefaultColors() {
    if (manager_ != nullptr) {
        look_.ResolveDefaultColors(*manager_);
    }
}

void CLabelUI::DrawTextContent(HDC dc) {
    ResolveDefaultColors();
    DrawLabelText(dc, look_.ColorFor(IsEnabled()), look_.font);
}

CUiRect CLabelUI::TextRect() const {
    const CUiRect padding = TextPadding();
    return CUiRect(itemRect_.left + padding.left, itemRect_.top + padding.top, itemRect_.right - padding.right,
                   itemRect_.bottom - padding.bottom);
}

void CLabelUI::DrawLabelText(HDC dc, DWORD argb, int font) {
    const CUiString text = Text();
    if (text.IsEmpty()) {
        return;
    }
    CUiRect rect = TextRect();
    look_.Paint(dc, manager_, rect, text, argb, font);
}

bool CLabelUI::IsAutoWidth() const {
    return autoWidth_;
}

void CLabelUI::SetAutoWidth(bool autoWidth) {
    autoWidth_ = autoWidth;
}

void CLabelUI::SetTextColor(DWORD argb) {
    look_.textColor = argb;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(DWORD argb) {
    look_.disabledTextColor = argb;
    Invalidate();
}

void CLabelUI::SetFont(int id) {
    look_.font = id;
    Invalidate();
}

void CLabelUI::SetTextStyle(UINT style) {
    if (look_.style != style) {
        look_.style = style;
        Invalidate();
    }
}

CUiRect CLabelUI::TextPadding() const {
    return ScaleRect(look_.padding);
}

void CLabelUI::SetTextPadding(const RECT& padding) {
    look_.padding = padding;
    Invalidate();
}

void CLabelUI::SetShowHtml(bool showHtml) {
    if (look_.showHtml != showHtml) {
        look_.showHtml = showHtml;
        Invalidate();
    }
}

}  // namespace Orvel
