#include "MenuUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CMenuUI::ClassName() const {
    return L"MenuUI";
}

void* CMenuUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"Menu") == 0) {
        return this;
    }
    return CListUI::CastTo(name);
}

}  // namespace Orvel
