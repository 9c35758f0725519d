#include "ListTextElementUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CListTextElementUI::ClassName() const {
    return L"ListTextElementUI";
}

void* CListTextElementUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"ListTextElement") == 0) {
        return this;
    }
    return CListLabelElementUI::CastTo(name);
}

}  // namespace Orvel
