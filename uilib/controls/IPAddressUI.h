#pragma once
#include "LabelUI.h"

namespace Orvel {

class CIPAddressWnd;

// A label showing an IPv4 address as "a.b.c.d" that, while focused, opens
// the platform's IP-address control over itself; the address entered
// there becomes the control's address and text.
class CIPAddressUI : public CLabelUI {
public:
    // What UpdateText does with the text.
    enum TextUpdate : int {
        KeepText = 0,
        TextFromAddress = 1,
        ClearText = 2,
        // The native window was cancelled: the text stays.
        LeaveText = 3,
    };

    // The local host's address, shown at once.
    CIPAddressUI();
    // Closes an open native window.
    ~CIPAddressUI() override;

    const wchar_t* ClassName() const override;
    // "IPAddress" compared case-sensitively, then the label's names.
    void* CastTo(const wchar_t* name) override;
    void ProcessEvent(UiEvent& event) override;

    // The first octet in the highest byte.
    DWORD Address() const { return address_; }
    // The address and its text.
    void SetAddress(DWORD address);
    // A read-only field shows its address and opens no native window.
    bool IsReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    int UpdateMode() const { return updateMode_; }
    void SetUpdateMode(int mode) { updateMode_ = mode; }
    // Sets or clears the text as the update mode says.
    void UpdateText();

    // The first address the host's name resolves to, first octet highest;
    // 0 when the socket library cannot start or the name does not resolve.
    static DWORD LocalHostAddress();

    // The native window (open or hidden), or null.
    CIPAddressWnd* NativeWindow() const { return window_; }
    bool HasNativeWindow() const { return window_ != nullptr; }
    // Makes the native window when `create` is set and there is none, then
    // hands it the address and shows it with the focus.
    void OpenNativeWindow(bool create);

private:
    friend class CIPAddressWnd;

    DWORD address_;
    bool readOnly_;
    int updateMode_;
    CIPAddressWnd* window_;  // not owned: it deletes itself with its window
};

}  // namespace Orvel
