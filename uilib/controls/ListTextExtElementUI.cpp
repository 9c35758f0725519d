#include "ListTextExtElementUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CListTextExtElementUI::ClassName() const {
    return L"ListTextExtElementUI";
}

void* CListTextExtElementUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"ListTextExtElement") == 0) {
        return this;
    }
    return CListLabelElementUI::CastTo(name);
}

}  // namespace Orvel
