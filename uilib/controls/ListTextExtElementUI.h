#pragma once
#include "ListLabelElementUI.h"

namespace Orvel {

// A list row with texts and check boxes per column: the single text
// of its label base.
class CListTextExtElementUI : public CListLabelElementUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
