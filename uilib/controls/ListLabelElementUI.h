#pragma once
#include "LabelUI.h"

namespace Orvel {

// A list row showing one text: a label, with no selection or hot state.
class CListLabelElementUI : public CLabelUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
