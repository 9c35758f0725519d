#pragma once
#include "ActiveXUI.h"

namespace Orvel {

// The place of an embedded web browser; hosts nothing, as its ActiveX base.
class CWebBrowserUI : public CActiveXUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
