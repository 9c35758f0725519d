#include "FlashUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CFlashUI::ClassName() const {
    return L"FlashUI";
}

void* CFlashUI::CastTo(const wchar_t* name) {
    if (Is(name, L"Flash")) {
        return this;
    }
    return CActiveXUI::CastTo(name);
}

}  // namespace Orvel
