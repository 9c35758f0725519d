#include "ListContainerHeaderItemUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CListContainerHeaderItemUI::ClassName() const {
    return L"ListContainerHeaderItemUI";
}

void* CListContainerHeaderItemUI::CastTo(const wchar_t* name) {
    if (Is(name, L"ListContainerHeaderItem")) {
        return this;
    }
    return CTitledRowUI::CastTo(name);
}

}  // namespace Orvel
