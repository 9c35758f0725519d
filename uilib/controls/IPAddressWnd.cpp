#include "IPAddressWnd.h"

#include "IPAddressUI.h"
#include "PaintManagerUI.h"

#include <commctrl.h>

namespace Orvel {

namespace {

// The paint manager reflects a child's WM_COMMAND back to the child this far up.
constexpr UINT kReflectedCommand = WM_COMMAND + 0x2000;

}  // namespace

CIPAddressWnd::CIPAddressWnd(CIPAddressUI* owner)
    : CNativeFieldWnd(owner->Manager()), owner_(owner), initialized_(false) {}

CIPAddressWnd::~CIPAddressWnd() = default;

const wchar_t* CIPAddressWnd::WindowClass() const {
    return L"IPAddressWnd";
}

const wchar_t* CIPAddressWnd::SuperclassName() const {
    return WC_IPADDRESSW;
}

bool CIPAddressWnd::Init() {
    owner_->SetUpdateMode(CIPAddressUI::KeepText);
    const CUiRect& rect = owner_->ItemRect();
    if (Handle() == nullptr) {
        INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_INTERNET_CLASSES};
        InitCommonControlsEx(&classes);
        if (manager_ == nullptr || manager_->WindowHandle() == nullptr ||
            Create(manager_->WindowHandle(), nullptr, WS_CHILD | WS_GROUP | WS_TABSTOP, 0, rect) == nullptr) {
            return false;
        }
        SendToWindow(WM_SETFONT, reinterpret_cast<WPARAM>(manager_->FontById(owner_->Font())), TRUE);
        EnumChildWindows(Handle(), &CIPAddressWnd::HookField, reinterpret_cast<LPARAM>(Handle()));
    } else {
        // The field may have moved since the control was made.
        SetWindowPos(Handle(), nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (owner_->Text().IsEmpty()) {
        owner_->address_ = owner_->HostAddress();
    }
    SendToWindow(IPM_SETADDRESS, 0, static_cast<LPARAM>(owner_->address_));
    ShowWindow(Handle(), SW_SHOW);
    ::SetFocus(Handle());
    initialized_ = true;
    return true;
}

void CIPAddressWnd::ForgetOwner() {
    owner_ = nullptr;
}

void CIPAddressWnd::OnWindowGone() {
    if (owner_ != nullptr && owner_->window_ == this) {
        owner_->window_ = nullptr;
    }
}

BOOL CALLBACK CIPAddressWnd::HookField(HWND field, LPARAM control) {
    SetWindowSubclass(field, &CIPAddressWnd::FieldProc, 0, static_cast<DWORD_PTR>(control));
    return TRUE;
}

LRESULT CALLBACK CIPAddressWnd::FieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR control) {
    const LRESULT result = DefSubclassProc(field, message, wParam, lParam);
    if (message == WM_KEYUP && (wParam == VK_DELETE || wParam == VK_BACK || wParam == VK_ESCAPE)) {
        SendMessageW(reinterpret_cast<HWND>(control), WM_KEYUP, wParam, lParam);
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(field, &CIPAddressWnd::FieldProc, id);
    }
    return result;
}

// The keys edit the parts as usual; only once the whole address is erased
// does the field lose its text.
LRESULT CIPAddressWnd::OnKeyUp(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallPreviousProc(WM_KEYUP, wParam, lParam);
    if ((wParam == VK_DELETE || wParam == VK_BACK) && SendToWindow(IPM_ISBLANK) != 0) {
        owner_->SetUpdateMode(CIPAddressUI::ClearText);
        owner_->UpdateText();
        PostToWindow(WM_CLOSE);
    } else if (wParam == VK_ESCAPE) {
        owner_->SetUpdateMode(CIPAddressUI::LeaveText);
        PostToWindow(WM_CLOSE);
    }
    return result;
}

// The control moves the focus between its own fields; only a focus that
// leaves it ends the editing.
LRESULT CIPAddressWnd::OnFieldKillFocus(WPARAM wParam, LPARAM lParam) {
    HWND focus = GetFocus();
    if (focus == Handle() || IsChild(Handle(), focus)) {
        return 0;
    }
    const LRESULT result = CallPreviousProc(kReflectedCommand, wParam, lParam);
    if (owner_->UpdateMode() == CIPAddressUI::KeepText) {
        DWORD address = 0;
        SendToWindow(IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
        owner_->SetAddress(address);
    }
    ShowWindow(Handle(), SW_HIDE);
    PostToWindow(WM_CLOSE);
    return result;
}

LRESULT CIPAddressWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (owner_ != nullptr) {
        switch (message) {
        case WM_KILLFOCUS:
            return 0;
        case WM_KEYUP:
            return OnKeyUp(wParam, lParam);
        case kReflectedCommand:
            if (HIWORD(wParam) == EN_KILLFOCUS) {
                return OnFieldKillFocus(wParam, lParam);
            }
            break;
        default:
            break;
        }
    }
    return CallPreviousProc(message, wParam, lParam);
}

}  // namespace Orvel
