#include "ListLabelElementUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CListLabelElementUI::ClassName() const {
    return L"ListLabelElementUI";
}

void* CListLabelElementUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"ListLabelElement") == 0) {
        return this;
    }
    return CLabelUI::CastTo(name);
}

}  // namespace Orvel
