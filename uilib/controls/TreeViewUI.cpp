#include "TreeViewUI.h"

#include "UiValueParser.h"

namespace Orvel {

const wchar_t* CTreeViewUI::ClassName() const {
    return L"TreeViewUI";
}

void* CTreeViewUI::CastTo(const wchar_t* name) {
    if (Is(name, L"TreeView")) {
        return this;
    }
    return CListUI::CastTo(name);
}

}  // namespace Orvel
