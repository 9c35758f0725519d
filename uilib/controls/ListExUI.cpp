#include "ListExUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CListExUI::ClassName() const {
    return L"ListExUI";
}

void* CListExUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"ListEx") == 0) {
        return this;
    }
    return CListUI::CastTo(name);
}

}  // namespace Orvel
