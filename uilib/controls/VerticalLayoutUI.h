#pragma once
#include "LinearLayoutUI.h"

namespace Orvel {

// Stacks its children top to bottom; children without a height share the
// free height. Its separator ("sepheight") drags the layout's height.
class CVerticalLayoutUI : public CLinearLayoutUI {
public:
    CVerticalLayoutUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
