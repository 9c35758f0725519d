#include "CheckBoxUI.h"

#include "PaintManagerUI.h"
#include "UiValueParser.h"

namespace Orvel {

CCheckBoxUI::CCheckBoxUI() : autoCheck_(false) {}

const wchar_t* CCheckBoxUI::ClassName() const {
    return L"CheckBoxUI";
}

void* CCheckBoxUI::CastTo(const wchar_t* name) {
    if (Is(name, L"CheckBox")) {
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

void CCheckBoxUI::ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"EnableAutoCheck")) {
        SetAutoCheck(ParseBoolValue(value));
    }
    COptionUI::ApplyOwnAttribute(name, value);
}

void CCheckBoxUI::Select(bool selected) {
    ChangeSelection(selected, selected ? 1 : 0);
}

}  // namespace Orvel
