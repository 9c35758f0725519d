#include "ListTextExtElementUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CListTextExtElementUI::ClassName() const {
    return L"ListTextExtElementUI";
}

void* CListTextExtElementUI::CastTo(const wchar_t* name) {
    if (Is(name, L"ListTextExtElement")) {
        return this;
    }
    return CListLabelElementUI::CastTo(name);
}

}  // namespace Orvel
