#include "GroupBoxUI.h"

#include "PaintManagerUI.h"
#include "UiRender.h"
#include "UiValueParser.h"

#include <algorithm>
#include <cwchar>

namespace Orvel {

namespace {

constexpr int kFrameInset = 5;
constexpr int kCaptionIndent = 15;
constexpr int kCaptionRise = 5;
constexpr int kCaptionMeasureHeight = 20;

}  // namespace

CGroupBoxUI::CGroupBoxUI() {
    look_.style = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
    SetInset(CUiRect(20, 25, 20, 20));
}

const wchar_t* CGroupBoxUI::ClassName() const {
    return L"GroupBoxUI";
}

void* CGroupBoxUI::CastTo(const wchar_t* name) {
    if (Is(name, L"GroupBox")) {
        return this;
    }
    return CVerticalLayoutUI::CastTo(name);
}

void CGroupBoxUI::ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"textcolor")) {
        SetTextColor(ParseColorValue(value));
    } else if (Is(name, L"disabledtextcolor")) {
        SetDisabledTextColor(ParseColorValue(value));
    } else if (Is(name, L"font")) {
        SetFont(ParseInt(value));
    }
    CVerticalLayoutUI::ApplyOwnAttribute(name, value);
}

CUiRect CGroupBoxUI::FrameRect() const {
    CUiRect frame = itemRect_;
    frame.Deflate(Scale(kFrameInset), Scale(kFrameInset));
    return frame;
}

CUiRect CGroupBoxUI::CaptionRect(HDC dc) {
    const CUiString text = Text();
    if (text.IsEmpty() || manager_ == nullptr) {
        return CUiRect();
    }
    const CUiRect frame = FrameRect();
    const CUiRect padding = TextPadding();
    const int width = std::max(FixedWidth(), frame.Width());
    RECT measured = {padding.left, 0, width - padding.right, Scale(kCaptionMeasureHeight)};
    CUiRender::PaintText(dc, manager_, measured, text, 0, look_.font, look_.style | DT_CALCRECT);
    const int left = frame.left + Scale(kCaptionIndent);
    const int top = frame.top - Scale(kCaptionRise);
    return CUiRect(left, top, left + (measured.right - measured.left) + padding.left + padding.right,
                   top + (measured.bottom - measured.top) + padding.top + padding.bottom);
}

// Over the back colour, the caption hides the frame line behind it. Without
// one (0 means none) it is drawn transparently and the frame leaves its
// rectangle out instead, rather than putting the caption on black.
void CGroupBoxUI::DrawCaption(HDC dc) {
    CUiRect rect = CaptionRect(dc);
    if (rect.IsEmpty()) {
        return;
    }
    DWORD color = look_.ColorFor(IsEnabled());
    if (color == 0) {
        color = IsEnabled() ? manager_->DefaultFontColor() : manager_->DefaultDisabledColor();
    }
    CUiRender::PaintTextOpaque(dc, manager_, rect, Text(), color, look_.font, look_.style, AdjustColor(backColor_),
                               backColor_ == 0);
}

void CGroupBoxUI::DrawTextContent(HDC dc) {
    DrawCaption(dc);
}

void CGroupBoxUI::DrawBorder(HDC dc) {
    const int size = BorderSize();
    if (size > 0) {
        const DWORD color = AdjustColor((HasFocus() && focusedBorderColor_ != 0) ? focusedBorderColor_ : borderColor_);
        const CUiRect frame = FrameRect();
        const CUiSize round = BorderRound();
        const CUiRect caption = backColor_ == 0 ? CaptionRect(dc) : CUiRect();
        const int saved = caption.IsEmpty() ? 0 : SaveDC(dc);
        if (saved != 0) {
            ExcludeClipRect(dc, caption.left, caption.top, caption.right, caption.bottom);
        }
        if (round.cx > 0 || round.cy > 0) {
            CUiRender::StrokeRoundRect(dc, frame, size, round.cx, round.cy, color, PS_SOLID);
        } else {
            CUiRender::StrokeRect(dc, frame, size, color);
        }
        if (saved != 0) {
            RestoreDC(dc, saved);
        }
    }
    // A transparent caption, drawn again, would only darken its edges.
    if (backColor_ != 0) {
        DrawCaption(dc);
    }
}

void CGroupBoxUI::SetTextColor(DWORD argb) {
    look_.textColor = argb;
    Invalidate();
}

void CGroupBoxUI::SetDisabledTextColor(DWORD argb) {
    look_.disabledTextColor = argb;
    Invalidate();
}

void CGroupBoxUI::SetFont(int id) {
    look_.font = id;
    Invalidate();
}

void CGroupBoxUI::SetTextStyle(UINT style) {
    look_.style = style;
    Invalidate();
}

CUiRect CGroupBoxUI::TextPadding() const {
    return ScaleRect(look_.padding);
}

void CGroupBoxUI::SetTextPadding(const RECT& padding) {
    look_.padding = padding;
    Invalidate();
}

}  // namespace Orvel
