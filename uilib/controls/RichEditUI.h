#pragma once
#include "ContainerUI.h"

namespace Orvel {

// A rich-text edit field's place in markup: a container that hosts no
// text services object and takes no input.
class CRichEditUI : public CContainerUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
