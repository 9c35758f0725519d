#include "ListHeaderUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CListHeaderUI::ClassName() const {
    return L"ListHeaderUI";
}

void* CListHeaderUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"ListHeader") == 0) {
        return this;
    }
    return CHorizontalLayoutUI::CastTo(name);
}

}  // namespace Orvel
