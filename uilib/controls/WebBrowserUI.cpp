#include "WebBrowserUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CWebBrowserUI::ClassName() const {
    return L"WebBrowserUI";
}

void* CWebBrowserUI::CastTo(const wchar_t* name) {
    if (Is(name, L"WebBrowser")) {
        return this;
    }
    return CActiveXUI::CastTo(name);
}

}  // namespace Orvel
