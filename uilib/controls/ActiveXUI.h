#pragma once
#include "ControlUI.h"

namespace Orvel {

// The place of an embedded ActiveX control: a plain control that hosts
// nothing and creates no COM object.
class CActiveXUI : public CControlUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
