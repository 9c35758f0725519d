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

    // Shows the local host's address, read when the field or its address is
    // first asked for (the text, a window it joins, its native window).
    CIPAddressUI();
    // Closes an open native window.
    ~CIPAddressUI() override;

    const wchar_t* ClassName() const override;
    // "IPAddress" compared case-sensitively, then the label's names.
    void* CastTo(const wchar_t* name) override;
    void ProcessEvent(UiEvent& event) override;
    CUiString Text() const override;
    // A text set before the host's address was read stays.
    void SetText(const wchar_t* text) override;
    void OnInitialize() override;

    // The first octet in the highest byte.
    DWORD Address() const;
    // The address and its text.
    void SetAddress(DWORD address);
    // A read-only field shows its address and opens no native window.
    bool IsReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    int UpdateMode() const { return updateMode_; }
    void SetUpdateMode(int mode) { updateMode_ = mode; }
    // Sets or clears the text as the update mode says.
    void UpdateText();

    // The IPv4 address of the first network adapter that is up, first octet
    // highest, from the system's adapter list (no name lookup, nothing sent);
    // a loopback address only when no other adapter has one; 0 for none.
    static DWORD LocalHostAddress();

    // The open native window, or null.
    CIPAddressWnd* NativeWindow() const { return window_; }
    bool HasNativeWindow() const { return window_ != nullptr; }
    // Makes the native window when `create` is set and there is none, then
    // hands it the address and shows it with the focus.
    void OpenNativeWindow(bool create);

protected:
    // The host's address for a field that shows it: LocalHostAddress.
    virtual DWORD ReadHostAddress() const;

private:
    friend class CIPAddressWnd;

    // Read once, at the first need.
    DWORD HostAddress() const;

    DWORD address_;
    bool readOnly_;
    int updateMode_;
    CIPAddressWnd* window_;  // not owned: it deletes itself with its window
    bool showsHostAddress_;  // nothing has set an address or text yet
    mutable bool hostAddressRead_;
    mutable DWORD hostAddress_;
};

}  // namespace Orvel
