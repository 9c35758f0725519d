#include "CheckBoxUI.h"

#include "PaintManagerUI.h"
#include "UiValueParser.h"

#include <cwchar>

namespace Orvel {

CCheckBoxUI::CCheckBoxUI() : autoCheck_(false) {}

const wchar_t* CCheckBoxUI::ClassName() const {
    return L"CheckBoxUI";
}

void* CCheckBoxUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"CheckBox") == 0) {
        return this;
    }
    return COptionUI::CastTo(name);
}

void CCheckBoxUI::ProcessEvent(UiEvent& event) {
    if (!AcceptsMouse() && IsMouseEvent(event.type)) {
        if (parent_ != nullptr) {
            parent_->ProcessEvent(event);
        }
        return;
    }
    if (autoCheck_ && (event.type == UiEventType::ButtonDown || event.type == UiEventType::DoubleClick)) {
        if (PointerInside(event) && IsEnabled()) {
            Select(!IsSelected());
            if (manager_ != nullptr) {
                manager_->SendNotify(this, L"checkclick");
            }
            Invalidate();
        }
        return;
    }
    COptionUI::ProcessEvent(event);
}

void CCheckBoxUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr || ApplyStyleValue(value)) {
        return;
    }
    if (_wcsicmp(name, L"EnableAutoCheck") == 0) {
        SetAutoCheck(ParseBoolValue(value));
    }
    COptionUI::ApplyAttribute(name, value);
}

void CCheckBoxUI::Select(bool selected) {
    ChangeSelection(selected, selected ? 1 : 0);
}

}  // namespace Orvel
