#include "ListExUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CListExUI::ClassName() const {
    return L"ListExUI";
}

void* CListExUI::CastTo(const wchar_t* name) {
    if (Is(name, L"ListEx")) {
        return this;
    }
    return CListUI::CastTo(name);
}

}  // namespace Orvel
