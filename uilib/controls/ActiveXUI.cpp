#include "ActiveXUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CActiveXUI::ClassName() const {
    return L"ActiveXUI";
}

void* CActiveXUI::CastTo(const wchar_t* name) {
    if (Is(name, L"ActiveX")) {
        return this;
    }
    return CControlUI::CastTo(name);
}

}  // namespace Orvel
