#include "IPAddressUI.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include "IPAddressWnd.h"
#include "NativeFieldEvents.h"

#include <cwchar>
#include <vector>

namespace Orvel {

namespace {

CUiString AddressText(DWORD address) {
    CUiString text;
    text.FormatShort(L"%d.%d.%d.%d", static_cast<int>((address >> 24) & 0xFF), static_cast<int>((address >> 16) & 0xFF),
                     static_cast<int>((address >> 8) & 0xFF), static_cast<int>(address & 0xFF));
    return text;
}

// The first IPv4 address of an adapter that is up, network order undone.
DWORD FirstAdapterAddress(const IP_ADAPTER_ADDRESSES* adapters) {
    DWORD loopback = 0;
    for (const IP_ADAPTER_ADDRESSES* adapter = adapters; adapter != nullptr; adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp) {
            continue;
        }
        for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = adapter->FirstUnicastAddress; unicast != nullptr;
             unicast = unicast->Next) {
            const sockaddr* address = unicast->Address.lpSockaddr;
            if (address == nullptr || address->sa_family != AF_INET) {
                continue;
            }
            const auto* octets = reinterpret_cast<const unsigned char*>(
                &reinterpret_cast<const sockaddr_in*>(address)->sin_addr);
            const DWORD host = (static_cast<DWORD>(octets[0]) << 24) | (static_cast<DWORD>(octets[1]) << 16) |
                               (static_cast<DWORD>(octets[2]) << 8) | octets[3];
            if (octets[0] != 127) {
                return host;
            }
            if (loopback == 0) {
                loopback = host;
            }
        }
    }
    return loopback;
}

}  // namespace

CIPAddressUI::CIPAddressUI()
    : address_(0), readOnly_(false), updateMode_(KeepText), window_(nullptr), showsHostAddress_(true),
      hostAddressRead_(false), hostAddress_(0) {}

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
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    // The list may grow between asking for its size and reading it.
    for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.assign(size, 0);
        result = GetAdaptersAddresses(AF_INET,
                                      GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER |
                                          GAA_FLAG_SKIP_FRIENDLY_NAME,
                                      nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (result != NO_ERROR) {
        return 0;
    }
    return FirstAdapterAddress(reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()));
}

DWORD CIPAddressUI::ReadHostAddress() const {
    return LocalHostAddress();
}

DWORD CIPAddressUI::HostAddress() const {
    if (!hostAddressRead_) {
        hostAddress_ = ReadHostAddress();
        hostAddressRead_ = true;
    }
    return hostAddress_;
}

DWORD CIPAddressUI::Address() const {
    return showsHostAddress_ ? HostAddress() : address_;
}

CUiString CIPAddressUI::Text() const {
    return showsHostAddress_ ? AddressText(HostAddress()) : CLabelUI::Text();
}

void CIPAddressUI::SetText(const wchar_t* text) {
    const bool showedHostAddress = showsHostAddress_;
    showsHostAddress_ = false;
    CLabelUI::SetText(text);
    if (showedHostAddress) {
        Invalidate();
    }
}

void CIPAddressUI::OnInitialize() {
    CLabelUI::OnInitialize();
    // A field joining a window is about to be shown.
    if (showsHostAddress_) {
        SetAddress(HostAddress());
    }
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
        SetText(AddressText(address_));
    }
}

void CIPAddressUI::OpenNativeWindow(bool create) {
    if (readOnly_) {
        return;
    }
    if (showsHostAddress_) {
        SetAddress(HostAddress());
    }
    if (window_ != nullptr) {
        window_->Reopen();
    } else if (create) {
        CNativeFieldWnd::Open(this, window_);
    }
}

void CIPAddressUI::ProcessEvent(UiEvent& event) {
    if (!ProcessNativeFieldEvent(*this, event)) {
        CLabelUI::ProcessEvent(event);
    }
}

}  // namespace Orvel
