#pragma once
#include "TitledRowUI.h"

namespace Orvel {

// A column heading that holds controls, led by its text.
class CListContainerHeaderItemUI : public CTitledRowUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
