#include "HotKeyUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CHotKeyUI::ClassName() const {
    return L"HotKeyUI";
}

void* CHotKeyUI::CastTo(const wchar_t* name) {
    if (Is(name, L"HotKey")) {
        return this;
    }
    return CLabelUI::CastTo(name);
}

}  // namespace Orvel
