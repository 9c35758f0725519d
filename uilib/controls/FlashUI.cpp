#include "FlashUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CFlashUI::ClassName() const {
    return L"FlashUI";
}

void* CFlashUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"Flash") == 0) {
        return this;
    }
    return CActiveXUI::CastTo(name);
}

}  // namespace Orvel
