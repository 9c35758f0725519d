#pragma once
#include "TitledRowUI.h"

namespace Orvel {

// A list row that holds controls, led by its text; no selection or hot state.
class CListContainerElementUI : public CTitledRowUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
