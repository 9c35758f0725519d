#include "ComboBoxUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CComboBoxUI::ClassName() const {
    return L"ComboBoxUI";
}

void* CComboBoxUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"ComboBox") == 0) {
        return this;
    }
    return CComboUI::CastTo(name);
}

}  // namespace Orvel
