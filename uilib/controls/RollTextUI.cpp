#include "RollTextUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CRollTextUI::ClassName() const {
    return L"RollTextUI";
}

void* CRollTextUI::CastTo(const wchar_t* name) {
    if (Is(name, L"RollText")) {
        return this;
    }
    return CLabelUI::CastTo(name);
}

}  // namespace Orvel
