#pragma once
#include "ListContainerElementUI.h"

namespace Orvel {

// One tree node, a list row container: child nodes are laid out as
// its items, with no folding, indentation or check box.
class CTreeNodeUI : public CListContainerElementUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
