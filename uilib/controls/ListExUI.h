#pragma once
#include "ListUI.h"

namespace Orvel {

// The list with check boxes and editable cells: exactly the list's layout.
class CListExUI : public CListUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
