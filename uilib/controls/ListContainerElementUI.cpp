#include "ListContainerElementUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CListContainerElementUI::ClassName() const {
    return L"ListContainerElementUI";
}

void* CListContainerElementUI::CastTo(const wchar_t* name) {
    if (Is(name, L"ListContainerElement")) {
        return this;
    }
    return CTitledRowUI::CastTo(name);
}

}  // namespace Orvel
