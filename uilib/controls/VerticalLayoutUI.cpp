#include "VerticalLayoutUI.h"

#include <cwchar>

namespace Orvel {

CVerticalLayoutUI::CVerticalLayoutUI() : CLinearLayoutUI(true) {}

const wchar_t* CVerticalLayoutUI::ClassName() const {
    return L"VerticalLayoutUI";
}

void* CVerticalLayoutUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"VerticalLayout") == 0) {
        return this;
    }
    return CContainerUI::CastTo(name);
}

}  // namespace Orvel
