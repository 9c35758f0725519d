#include "WebBrowserUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CWebBrowserUI::ClassName() const {
    return L"WebBrowserUI";
}

void* CWebBrowserUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"WebBrowser") == 0) {
        return this;
    }
    return CActiveXUI::CastTo(name);
}

}  // namespace Orvel
