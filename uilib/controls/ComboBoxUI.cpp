#include "ComboBoxUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CComboBoxUI::ClassName() const {
    return L"ComboBoxUI";
}

void* CComboBoxUI::CastTo(const wchar_t* name) {
    if (Is(name, L"ComboBox")) {
        return this;
    }
    return CComboUI::CastTo(name);
}

}  // namespace Orvel
