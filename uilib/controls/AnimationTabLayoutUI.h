#pragma once
#include "TabLayoutUI.h"

namespace Orvel {

// An animated tab layout's place in markup: it selects pages as the tab
// layout does, without the slide.
class CAnimationTabLayoutUI : public CTabLayoutUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
