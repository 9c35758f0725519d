#include "ListContainerHeaderItemUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CListContainerHeaderItemUI::ClassName() const {
    return L"ListContainerHeaderItemUI";
}

void* CListContainerHeaderItemUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"ListContainerHeaderItem") == 0) {
        return this;
    }
    return CContainerUI::CastTo(name);
}

}  // namespace Orvel
