#include "MenuElementUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CMenuElementUI::ClassName() const {
    return L"MenuElementUI";
}

void* CMenuElementUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"MenuElement") == 0) {
        return this;
    }
    return CListContainerElementUI::CastTo(name);
}

}  // namespace Orvel
