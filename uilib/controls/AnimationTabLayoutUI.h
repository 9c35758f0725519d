#pragma once
#include "ContainerUI.h"

namespace Orvel {

// An animated tab layout's place in markup: a container that places
// every page over its whole client area, with no page switching or animation.
class CAnimationTabLayoutUI : public CContainerUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
