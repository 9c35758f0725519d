#include "TitledRowUI.h"

#include "PaintManagerUI.h"
#include "UiFontInfo.h"

namespace Orvel {

namespace {

constexpr int kMeasureExtent = 9999;

}  // namespace

CUiRect CTitledRowUI::Inset() const {
    CUiRect inset = CHorizontalLayoutUI::Inset();
    inset.left += titleWidth_;
    return inset;
}

void CTitledRowUI::Place(const RECT& rect, bool invalidate) {
    titleWidth_ = 0;
    const CUiString text = Text();
    HDC dc = manager_ != nullptr ? manager_->PaintDC() : nullptr;
    if (!text.IsEmpty() && dc != nullptr) {
        RECT measured = {0, 0, kMeasureExtent, kMeasureExtent};
        look_.Paint(dc, manager_, measured, text, 0, look_.font, DT_CALCRECT);
        const CUiRect padding = ScaleRect(look_.padding);
        titleWidth_ = measured.right - measured.left + padding.left + padding.right;
    }
    CHorizontalLayoutUI::Place(rect, invalidate);
}

CUiSize CTitledRowUI::MeasureSize(const SIZE& available) {
    if (fixedHeight_ != 0 || Text().IsEmpty() || manager_ == nullptr) {
        return CHorizontalLayoutUI::MeasureSize(available);
    }
    return CUiSize(FixedWidth(), manager_->FontInfoById(look_.font)->metrics.tmHeight + 4);
}

void CTitledRowUI::DrawTextContent(HDC dc) {
    const CUiString text = Text();
    if (text.IsEmpty() || manager_ == nullptr) {
        return;
    }
    const int left = itemRect_.left + CHorizontalLayoutUI::Inset().left;
    const RECT title = {left, itemRect_.top, left + titleWidth_, itemRect_.bottom};
    look_.PaintInside(dc, *manager_, title, ScaleRect(look_.padding), text, IsEnabled());
}

void CTitledRowUI::SetText(const wchar_t* text) {
    CHorizontalLayoutUI::SetText(text);
    RequestUpdate();
}

void CTitledRowUI::ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) {
    if (look_.ApplyAttribute(name, value)) {
        RequestUpdate();
    } else {
        CHorizontalLayoutUI::ApplyOwnAttribute(name, value);
    }
}

}  // namespace Orvel
