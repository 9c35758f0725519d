#include "RichEditUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CRichEditUI::ClassName() const {
    return L"RichEditUI";
}

void* CRichEditUI::CastTo(const wchar_t* name) {
    if (Is(name, L"RichEdit")) {
        return this;
    }
    return CEditUI::CastTo(name);
}

}  // namespace Orvel
