#include "ListUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CListUI::ClassName() const {
    return L"ListUI";
}

void* CListUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"List") == 0) {
        return this;
    }
    return CVerticalLayoutUI::CastTo(name);
}

}  // namespace Orvel
