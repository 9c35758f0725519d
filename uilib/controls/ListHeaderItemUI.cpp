#include "ListHeaderItemUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CListHeaderItemUI::ClassName() const {
    return L"ListHeaderItemUI";
}

void* CListHeaderItemUI::CastTo(const wchar_t* name) {
    if (Is(name, L"ListHeaderItem")) {
        return this;
    }
    return CTitledRowUI::CastTo(name);
}

}  // namespace Orvel
