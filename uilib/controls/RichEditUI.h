#pragma once
#include "EditUI.h"

namespace Orvel {

// A rich-text edit field's place in markup: the single-line edit field,
// with no text services object, formatting or multi-line input.
class CRichEditUI : public CEditUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
