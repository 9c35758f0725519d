#include "IPAddressUI.h"

#include <winsock2.h>

#include "IPAddressWnd.h"
#include "NativeFieldEvents.h"

#include <cwchar>

namespace Orvel {

CIPAddressUI::CIPAddressUI()
    : address_(LocalHostAddress()), readOnly_(false), updateMode_(TextFromAddress), window_(nullptr) {
    UpdateText();
    updateMode_ = KeepText;
}

CIPAddressUI::~CIPAddressUI() {
    if (window_ != nullptr) {
        window_->Dismiss();
    }
}

const wchar_t* CIPAddressUI::ClassName() const {
    return L"IPAddressUI";
}

void* CIPAddressUI::CastTo(const wchar_t* name) {
    if (name != nullptr && wcscmp(name, L"IPAddress") == 0) {
        return this;
    }
    return CLabelUI::CastTo(name);
}

DWORD CIPAddressUI::LocalHostAddress() {
    WSADATA data = {};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        return 0;
    }
    DWORD address = 0;
    char name[256] = {};
    if (gethostname(name, sizeof(name) - 1) == 0) {
        const hostent* host = gethostbyname(name);
        if (host != nullptr && host->h_addrtype == AF_INET && host->h_length == 4 && host->h_addr_list != nullptr &&
            host->h_addr_list[0] != nullptr) {
            const auto* octets = reinterpret_cast<const unsigned char*>(host->h_addr_list[0]);
            address = (static_cast<DWORD>(octets[0]) << 24) | (static_cast<DWORD>(octets[1]) << 16) |
                      (static_cast<DWORD>(octets[2]) << 8) | octets[3];
        }
    }
    WSACleanup();
    return address;
}

void CIPAddressUI::SetAddress(DWORD address) {
    address_ = address;
    updateMode_ = TextFromAddress;
    UpdateText();
}

void CIPAddressUI::UpdateText() {
    if (updateMode_ == ClearText) {
        SetText(L"");
    } else if (updateMode_ == TextFromAddress) {
        CUiString text;
        text.FormatShort(L"%d.%d.%d.%d", static_cast<int>((address_ >> 24) & 0xFF),
                         static_cast<int>((address_ >> 16) & 0xFF), static_cast<int>((address_ >> 8) & 0xFF),
                         static_cast<int>(address_ & 0xFF));
        SetText(text);
    }
}

void CIPAddressUI::OpenNativeWindow(bool create) {
    if (readOnly_) {
        return;
    }
    if (window_ == nullptr && create) {
        window_ = new CIPAddressWnd(this);
    }
    // A window that could not be made is gone again.
    if (window_ != nullptr && !window_->Init()) {
        window_ = nullptr;
    }
}

void CIPAddressUI::ProcessEvent(UiEvent& event) {
    if (!ProcessNativeFieldEvent(*this, event)) {
        CLabelUI::ProcessEvent(event);
    }
}

}  // namespace Orvel
