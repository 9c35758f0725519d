#include "HotKeyUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CHotKeyUI::ClassName() const {
    return L"HotKeyUI";
}

void* CHotKeyUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"HotKey") == 0) {
        return this;
    }
    return CLabelUI::CastTo(name);
}

}  // namespace Orvel
