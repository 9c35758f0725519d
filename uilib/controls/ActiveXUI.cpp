#include "ActiveXUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CActiveXUI::ClassName() const {
    return L"ActiveXUI";
}

void* CActiveXUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"ActiveX") == 0) {
        return this;
    }
    return CControlUI::CastTo(name);
}

}  // namespace Orvel
