#pragma once
#include "ListContainerElementUI.h"

namespace Orvel {

// One tree node, a list row: its title, then its child nodes side by side,
// with no folding, indentation or check box.
class CTreeNodeUI : public CListContainerElementUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
