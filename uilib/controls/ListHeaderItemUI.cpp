#include "ListHeaderItemUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CListHeaderItemUI::ClassName() const {
    return L"ListHeaderItemUI";
}

void* CListHeaderItemUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"ListHeaderItem") == 0) {
        return this;
    }
    return CContainerUI::CastTo(name);
}

}  // namespace Orvel
