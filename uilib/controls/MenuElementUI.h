#pragma once
#include "ListContainerElementUI.h"

namespace Orvel {

// One menu item: its text followed by the controls it holds; no submenus
// or check marks.
class CMenuElementUI : public CListContainerElementUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
