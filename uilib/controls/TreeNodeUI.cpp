#include "TreeNodeUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CTreeNodeUI::ClassName() const {
    return L"TreeNodeUI";
}

void* CTreeNodeUI::CastTo(const wchar_t* name) {
    if (Is(name, L"TreeNode")) {
        return this;
    }
    return CListContainerElementUI::CastTo(name);
}

}  // namespace Orvel
