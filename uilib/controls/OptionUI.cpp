#include "OptionUI.h"

#include "PaintManagerUI.h"
#include "UiRender.h"
#include "UiValueParser.h"

#include <cwchar>

namespace Orvel {

COptionUI::COptionUI() : selected_(false), selectedBkColor_(0), selectedTextColor_(0) {}

const wchar_t* COptionUI::ClassName() const {
    return L"OptionUI";
}

void* COptionUI::CastTo(const wchar_t* name) {
    if (Is(name, L"Option")) {
        return this;
    }
    return CButtonUI::CastTo(name);
}

bool COptionUI::TryActivate() {
    if (!CButtonUI::TryActivate()) {
        return false;
    }
    // Clicking a selected radio option keeps it selected.
    Select(group_.IsEmpty() ? !selected_ : true);
    return true;
}

void COptionUI::Attach(CPaintManagerUI* manager, CControlUI* parent, bool initialize) {
    CButtonUI::Attach(manager, parent, initialize);
    if (initialize && manager_ != nullptr && !group_.IsEmpty()) {
        manager_->AddOptionGroup(group_, this);
    }
}

void COptionUI::SetEnabled(bool enabled) {
    CButtonUI::SetEnabled(enabled);
    if (!IsEnabled()) {
        state_ = selected_ ? UINT{StateSelected} : 0u;
    }
}

void COptionUI::Select(bool selected) {
    ChangeSelection(selected, 0);
}

void COptionUI::ChangeSelection(bool selected, WPARAM notifyParam) {
    if (selected_ == selected) {
        return;
    }
    selected_ = selected;
    state_ = selected ? (state_ | StateSelected) : (state_ & ~StateSelected);
    if (manager_ != nullptr) {
        if (!group_.IsEmpty()) {
            if (!selected_) {
                Invalidate();
                return;
            }
            DeselectOthers();
        }
        manager_->SendNotify(this, L"selectchanged", notifyParam);
    }
    Invalidate();
}

void COptionUI::DeselectOthers() {
    const CUiPtrArray* group = manager_ != nullptr ? manager_->OptionGroup(group_) : nullptr;
    if (group == nullptr) {
        return;
    }
    // A copy: the walk must not depend on what deselecting does to the group.
    const CUiPtrArray members(*group);
    for (int i = 0; i < members.Count(); ++i) {
        auto* member = static_cast<CControlUI*>(members.At(i));
        if (member == this) {
            continue;
        }
        if (auto* option = static_cast<COptionUI*>(member->CastTo(L"Option"))) {
            option->Select(false);
        }
    }
}

void COptionUI::SetGroup(const wchar_t* name) {
    const wchar_t* next = name != nullptr ? name : L"";
    if (group_ == next) {
        return;
    }
    if (!group_.IsEmpty() && manager_ != nullptr) {
        manager_->RemoveOptionGroup(group_, this);
    }
    group_ = next;
    if (group_.IsEmpty() || manager_ == nullptr) {
        return;
    }
    manager_->AddOptionGroup(group_, this);
    // The selection does not change, so Select would do nothing: the new
    // group gives up its selected member directly.
    if (selected_) {
        DeselectOthers();
    }
}

void COptionUI::ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"group")) {
        SetGroup(value);
    } else if (Is(name, L"selected")) {
        Select(ParseBoolValue(value));
    } else if (Is(name, L"selectedimage")) {
        SetSelectedImage(value);
    } else if (Is(name, L"selectedhotimage")) {
        SetSelectedHotImage(value);
    } else if (Is(name, L"selectedpushedimage")) {
        SetSelectedPushedImage(value);
    } else if (Is(name, L"selectedforeimage")) {
        SetSelectedForeImage(value);
    } else if (Is(name, L"selectedbkcolor")) {
        SetSelectedBkColor(ParseColorValue(value));
    } else if (Is(name, L"selectedtextcolor")) {
        SetSelectedTextColor(ParseColorValue(value));
    } else {
        CButtonUI::ApplyOwnAttribute(name, value);
    }
}

void COptionUI::SetSelectedImage(const wchar_t* image) {
    SetImage(selectedImage_, image);
}

void COptionUI::SetSelectedHotImage(const wchar_t* image) {
    SetImage(selectedHotImage_, image);
}

void COptionUI::SetSelectedPushedImage(const wchar_t* image) {
    SetImage(selectedPushedImage_, image);
}

void COptionUI::SetSelectedForeImage(const wchar_t* image) {
    SetImage(selectedForeImage_, image);
}

// A selected option without a selected back colour draws no back colour,
// even when it has a normal one.
void COptionUI::DrawBackColor(HDC dc) {
    if (!selected_) {
        CButtonUI::DrawBackColor(dc);
    } else if (selectedBkColor_ != 0) {
        CUiRender::FillColor(dc, paintRect_, AdjustColor(selectedBkColor_));
    }
}

void COptionUI::DrawStateImage(HDC dc) {
    if (selected_) {
        RefreshState();
        if ((state_ & StatePushed) && !selectedPushedImage_.IsEmpty() && DrawImage(dc, selectedPushedImage_)) {
            return;
        }
        if ((state_ & StateHot) && !selectedHotImage_.IsEmpty() && DrawImage(dc, selectedHotImage_)) {
            return;
        }
        if (!selectedImage_.IsEmpty() && DrawImage(dc, selectedImage_)) {
            return;
        }
    }
    CButtonUI::DrawStateImage(dc);
}

void COptionUI::DrawForeImage(HDC dc) {
    if (selected_ && !selectedForeImage_.IsEmpty() && DrawImage(dc, selectedForeImage_)) {
        return;
    }
    CButtonUI::DrawForeImage(dc);
}

void COptionUI::DrawTextContent(HDC dc) {
    if (!selected_) {
        CButtonUI::DrawTextContent(dc);
        return;
    }
    ResolveDefaultColors();
    const DWORD enabledColor = selectedTextColor_ != 0 ? selectedTextColor_ : look_.textColor;
    DrawLabelText(dc, IsEnabled() ? enabledColor : look_.disabledTextColor, look_.font);
}

}  // namespace Orvel
