#pragma once
#include "OptionUI.h"

namespace Orvel {

// An option whose "selectchanged" carries the new state (1 or 0). With
// auto-check it toggles on the press itself and sends "checkclick"; the
// press is consumed, so the release neither clicks nor toggles again.
class CCheckBoxUI : public COptionUI {
public:
    CCheckBoxUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    void ProcessEvent(UiEvent& event) override;
    void Select(bool selected = true) override;

    bool IsAutoCheck() const { return autoCheck_; }
    void SetAutoCheck(bool autoCheck) { autoCheck_ = autoCheck; }

protected:
    // "EnableAutoCheck".
    void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) override;

private:
    bool autoCheck_;
};

}  // namespace Orvel
