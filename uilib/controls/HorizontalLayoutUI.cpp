#include "HorizontalLayoutUI.h"

#include <cwchar>

namespace Orvel {

CHorizontalLayoutUI::CHorizontalLayoutUI() : CLinearLayoutUI(false) {}

const wchar_t* CHorizontalLayoutUI::ClassName() const {
    return L"HorizontalLayoutUI";
}

void* CHorizontalLayoutUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"HorizontalLayout") == 0) {
        return this;
    }
    return CContainerUI::CastTo(name);
}

}  // namespace Orvel
