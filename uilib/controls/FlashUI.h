#pragma once
#include "ActiveXUI.h"

namespace Orvel {

// The place of an embedded Flash player; hosts nothing, as its ActiveX base.
class CFlashUI : public CActiveXUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
