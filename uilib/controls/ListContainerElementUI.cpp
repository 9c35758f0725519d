#include "ListContainerElementUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CListContainerElementUI::ClassName() const {
    return L"ListContainerElementUI";
}

void* CListContainerElementUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"ListContainerElement") == 0) {
        return this;
    }
    return CContainerUI::CastTo(name);
}

}  // namespace Orvel
