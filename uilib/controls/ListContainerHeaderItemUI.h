#pragma once
#include "ContainerUI.h"

namespace Orvel {

// A column heading that holds controls: a plain container.
class CListContainerHeaderItemUI : public CContainerUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
