#include "ComboUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CComboUI::ClassName() const {
    return L"ComboUI";
}

void* CComboUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"Combo") == 0) {
        return this;
    }
    return CContainerUI::CastTo(name);
}

}  // namespace Orvel
