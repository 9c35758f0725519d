#pragma once
#include "ComboUI.h"

namespace Orvel {

// The skinned variant of the drop-down list: exactly the combo's container.
class CComboBoxUI : public CComboUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
