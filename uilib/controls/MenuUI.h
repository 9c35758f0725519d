#pragma once
#include "ListUI.h"

namespace Orvel {

// A menu's item list: the list's layout, without a popup window.
class CMenuUI : public CListUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
