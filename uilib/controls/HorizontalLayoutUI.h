#pragma once
#include "LinearLayoutUI.h"

namespace Orvel {

// Stacks its children left to right; children without a width share the
// free width. Its separator ("sepwidth") drags the layout's width.
class CHorizontalLayoutUI : public CLinearLayoutUI {
public:
    CHorizontalLayoutUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
