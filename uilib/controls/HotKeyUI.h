#pragma once
#include "LabelUI.h"

namespace Orvel {

// A hot-key field's place in markup: a label showing its text; it
// records no key.
class CHotKeyUI : public CLabelUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
