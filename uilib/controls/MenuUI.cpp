#include "MenuUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CMenuUI::ClassName() const {
    return L"MenuUI";
}

void* CMenuUI::CastTo(const wchar_t* name) {
    if (Is(name, L"Menu")) {
        return this;
    }
    return CListUI::CastTo(name);
}

}  // namespace Orvel
