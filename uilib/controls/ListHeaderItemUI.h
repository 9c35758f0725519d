#pragma once
#include "ContainerUI.h"

namespace Orvel {

// One column heading of a list header: a container, with no column
// dragging, sorting or text of its own.
class CListHeaderItemUI : public CContainerUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
