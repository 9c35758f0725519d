#include "RichEditUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CRichEditUI::ClassName() const {
    return L"RichEditUI";
}

void* CRichEditUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"RichEdit") == 0) {
        return this;
    }
    return CContainerUI::CastTo(name);
}

}  // namespace Orvel
