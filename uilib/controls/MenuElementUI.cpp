#include "MenuElementUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CMenuElementUI::ClassName() const {
    return L"MenuElementUI";
}

void* CMenuElementUI::CastTo(const wchar_t* name) {
    if (Is(name, L"MenuElement")) {
        return this;
    }
    return CListContainerElementUI::CastTo(name);
}

}  // namespace Orvel
