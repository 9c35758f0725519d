#pragma once
#include "WindowWnd.h"

namespace Orvel {

class CIPAddressUI;

// The platform's IP-address control ("SysIPAddress32") opened over an
// address field. When the focus leaves the control the address entered
// becomes the field's and the window hides; Delete or Backspace clears the
// field's text and Escape leaves it as it was, both closing the window. It
// deletes itself when its window is gone.
class CIPAddressWnd final : public CWindowWnd {
public:
    explicit CIPAddressWnd(CIPAddressUI* owner);

    // Makes the control at the first call, then hands it the field's
    // address, shows it and gives it the focus. False (and the wrapper
    // deleted) when no control could be made.
    bool Init();
    // The field is going away: the window closes at once and writes
    // nothing back.
    void Dismiss();

    const wchar_t* WindowClass() const override;
    const wchar_t* SuperclassName() const override;
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void FinalCleanup(HWND window) override;

private:
    ~CIPAddressWnd();

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
