#include "ListHeaderUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CListHeaderUI::ClassName() const {
    return L"ListHeaderUI";
}

void* CListHeaderUI::CastTo(const wchar_t* name) {
    if (Is(name, L"ListHeader")) {
        return this;
    }
    return CHorizontalLayoutUI::CastTo(name);
}

}  // namespace Orvel
