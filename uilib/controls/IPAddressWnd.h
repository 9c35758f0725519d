#pragma once
#include "NativeFieldWnd.h"

namespace Orvel {

class CIPAddressUI;

// The platform's IP-address control ("SysIPAddress32") opened over an
// address field. When the focus leaves the control the address entered
// becomes the field's and the window closes. Delete or Backspace that leave
// all four parts empty clear the field's text, and Escape leaves the text
// as it was; both close the window as well.
class CIPAddressWnd final : public CNativeFieldWnd {
public:
    const wchar_t* WindowClass() const override;
    const wchar_t* SuperclassName() const override;

private:
    friend class CNativeFieldWnd;

    // Makes the control at the first call, then places it over the field,
    // hands it the field's address, shows it and gives it the focus.
    bool Init() override;
    explicit CIPAddressWnd(CIPAddressUI* owner);
    ~CIPAddressWnd() override;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowGone() override;
    void ForgetOwner() override;

    // The keys go to the control's four edit fields, not to the control:
    // their key-ups of Delete, Backspace and Escape are passed up to it.
    static LRESULT CALLBACK FieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR control);
    static BOOL CALLBACK HookField(HWND field, LPARAM control);
    LRESULT OnKeyUp(WPARAM wParam, LPARAM lParam);
    LRESULT OnFieldKillFocus(WPARAM wParam, LPARAM lParam);

    CIPAddressUI* owner_;  // not owned
    bool initialized_;
};

}  // namespace Orvel
