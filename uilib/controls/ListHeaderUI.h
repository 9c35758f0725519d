#pragma once
#include "HorizontalLayoutUI.h"

namespace Orvel {

// A list's header row: its items side by side, as a horizontal layout.
class CListHeaderUI : public CHorizontalLayoutUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
};

}  // namespace Orvel
