#include "ListTextElementUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CListTextElementUI::ClassName() const {
    return L"ListTextElementUI";
}

void* CListTextElementUI::CastTo(const wchar_t* name) {
    if (Is(name, L"ListTextElement")) {
        return this;
    }
    return CListLabelElementUI::CastTo(name);
}

}  // namespace Orvel
