#pragma once
#include "TitledRowUI.h"

namespace Orvel {

// One column heading of a list header: its text as a label, followed by
// any controls it holds; no column dragging or sorting.
class CListHeaderItemUI : public CTitledRowUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
