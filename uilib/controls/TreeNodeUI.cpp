#include "TreeNodeUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CTreeNodeUI::ClassName() const {
    return L"TreeNodeUI";
}

void* CTreeNodeUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"TreeNode") == 0) {
        return this;
    }
    return CListContainerElementUI::CastTo(name);
}

}  // namespace Orvel
