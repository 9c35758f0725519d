#pragma once
#include "ContainerUI.h"

namespace Orvel {

// A drop-down list's place in markup: a container that holds and
// lays out its items in place; there is no drop-down window or selection.
class CComboUI : public CContainerUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
