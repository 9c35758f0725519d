#pragma once
#include "ListUI.h"

namespace Orvel {

// A tree view's place in markup: the list's layout of its items,
// without folding or indentation.
class CTreeViewUI : public CListUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
