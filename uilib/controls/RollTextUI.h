#pragma once
#include "LabelUI.h"

namespace Orvel {

// A scrolling text's place in markup: a label whose text stands still.
class CRollTextUI : public CLabelUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
