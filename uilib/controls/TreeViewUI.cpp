#include "TreeViewUI.h"

#include <cwchar>

namespace Orvel {

const wchar_t* CTreeViewUI::ClassName() const {
    return L"TreeViewUI";
}

void* CTreeViewUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"TreeView") == 0) {
        return this;
    }
    return CListUI::CastTo(name);
}

}  // namespace Orvel
