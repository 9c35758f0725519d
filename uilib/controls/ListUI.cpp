#include "ListUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CListUI::ClassName() const {
    return L"ListUI";
}

void* CListUI::CastTo(const wchar_t* name) {
    if (Is(name, L"List")) {
        return this;
    }
    return CVerticalLayoutUI::CastTo(name);
}

}  // namespace Orvel
