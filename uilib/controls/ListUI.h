#pragma once
#include "VerticalLayoutUI.h"

namespace Orvel {

// A list's place in markup: a vertical layout of its items, with no header
// row, selection or keyboard navigation of its own.
class CListUI : public CVerticalLayoutUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
