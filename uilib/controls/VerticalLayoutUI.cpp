#include "VerticalLayoutUI.h"

#include "UiValueParser.h"

namespace Orvel {

CVerticalLayoutUI::CVerticalLayoutUI() : CLinearLayoutUI(true) {}

const wchar_t* CVerticalLayoutUI::ClassName() const {
    return L"VerticalLayoutUI";
}

void* CVerticalLayoutUI::CastTo(const wchar_t* name) {
    if (Is(name, L"VerticalLayout")) {
        return this;
    }
    return CContainerUI::CastTo(name);
}

}  // namespace Orvel
