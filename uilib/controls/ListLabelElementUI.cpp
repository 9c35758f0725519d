#include "ListLabelElementUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CListLabelElementUI::ClassName() const {
    return L"ListLabelElementUI";
}

void* CListLabelElementUI::CastTo(const wchar_t* name) {
    if (Is(name, L"ListLabelElement")) {
        return this;
    }
    return CLabelUI::CastTo(name);
}

}  // namespace Orvel
