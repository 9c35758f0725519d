#include "AnimationTabLayoutUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CAnimationTabLayoutUI::ClassName() const {
    return L"AnimationTabLayoutUI";
}

void* CAnimationTabLayoutUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"AnimationTabLayout") == 0) {
        return this;
    }
    return CTabLayoutUI::CastTo(name);
}

}  // namespace Orvel
