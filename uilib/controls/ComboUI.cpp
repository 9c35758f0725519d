#include "ComboUI.h"

#include "PaintManagerUI.h"
#include "UiFontInfo.h"
#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CComboUI::ClassName() const {
    return L"ComboUI";
}

void* CComboUI::CastTo(const wchar_t* name) {
    if (Is(name, L"Combo")) {
        return this;
    }
    return CContainerUI::CastTo(name);
}

void CComboUI::Place(const RECT& rect, bool invalidate) {
    CControlUI::Place(rect, invalidate);
}

CControlUI* CComboUI::FindBy(FindControlProc visitor, void* data, UINT flags) {
    return flags == 0 ? CContainerUI::FindBy(visitor, data, flags) : CControlUI::FindBy(visitor, data, flags);
}

void CComboUI::Paint(HDC dc, const RECT& paintRect) {
    CControlUI::Paint(dc, paintRect);
}

CUiSize CComboUI::MeasureSize(const SIZE& available) {
    if (fixedHeight_ != 0 || manager_ == nullptr) {
        return CContainerUI::MeasureSize(available);
    }
    return CUiSize(FixedWidth(), manager_->FontInfoById(look_.font)->metrics.tmHeight + 4);
}

CUiString CComboUI::ShownText() const {
    const CUiString text = Text();
    if (!text.IsEmpty() || ItemCount() == 0) {
        return text;
    }
    return ItemAt(0)->Text();
}

void CComboUI::DrawTextContent(HDC dc) {
    const CUiString text = ShownText();
    if (text.IsEmpty() || manager_ == nullptr) {
        return;
    }
    look_.PaintInside(dc, *manager_, itemRect_, ScaleRect(look_.padding), text, IsEnabled());
}

void CComboUI::ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) {
    if (look_.ApplyAttribute(name, value)) {
        Invalidate();
    } else {
        CContainerUI::ApplyOwnAttribute(name, value);
    }
}

}  // namespace Orvel
