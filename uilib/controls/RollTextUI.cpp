#include "RollTextUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CRollTextUI::ClassName() const {
    return L"RollTextUI";
}

void* CRollTextUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"RollText") == 0) {
        return this;
    }
    return CLabelUI::CastTo(name);
}

}  // namespace Orvel
