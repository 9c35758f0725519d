#include "AnimationTabLayoutUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CAnimationTabLayoutUI::ClassName() const {
    return L"AnimationTabLayoutUI";
}

void* CAnimationTabLayoutUI::CastTo(const wchar_t* name) {
    if (Is(name, L"AnimationTabLayout")) {
        return this;
    }
    return CTabLayoutUI::CastTo(name);
}

}  // namespace Orvel
