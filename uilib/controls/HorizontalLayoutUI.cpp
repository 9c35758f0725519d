#include "HorizontalLayoutUI.h"

#include "UiValueParser.h"

namespace Orvel {

CHorizontalLayoutUI::CHorizontalLayoutUI() : CLinearLayoutUI(false) {}

const wchar_t* CHorizontalLayoutUI::ClassName() const {
    return L"HorizontalLayoutUI";
}

void* CHorizontalLayoutUI::CastTo(const wchar_t* name) {
    if (Is(name, L"HorizontalLayout")) {
        return this;
    }
    return CContainerUI::CastTo(name);
}

}  // namespace Orvel
