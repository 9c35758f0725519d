#pragma once
#include "ContainerUI.h"

namespace Orvel {

// A list row that holds controls: a container, with no selection or hot state.
class CListContainerElementUI : public CContainerUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
