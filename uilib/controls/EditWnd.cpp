#include "EditWnd.h"

#include "EditUI.h"
#include "PaintManagerUI.h"
#include "UiValueParser.h"

#include <vector>

namespace Orvel {

namespace {

// The paint manager hands notifications and colour requests of its native
// children back to them at this offset.
constexpr UINT kReflected = 0x2000;

}  // namespace

CEditWnd::CEditWnd(CEditUI* owner)
    : CNativeFieldWnd(owner->Manager()), owner_(owner), backBrush_(nullptr), initialized_(false),
      caretShown_(false) {}

CEditWnd::~CEditWnd() {
    if (backBrush_ != nullptr) {
        DeleteObject(backBrush_);
    }
}

const wchar_t* CEditWnd::WindowClass() const {
    return L"EditWnd";
}

const wchar_t* CEditWnd::SuperclassName() const {
    return L"Edit";
}

CUiRect CEditWnd::CalcEditRect() const {
    if (owner_ == nullptr || manager_ == nullptr) {
        return CUiRect();
    }
    const CUiRect& item = owner_->ItemRect();
    const CUiRect padding = owner_->TextPadding();
    CUiRect rect(item.left + padding.left, item.top + padding.top, item.right - padding.right,
                 item.bottom - padding.bottom);
    const int textHeight = manager_->FontInfoById(owner_->Font())->metrics.tmHeight;
    if (rect.Height() > textHeight) {
        rect.top += (rect.Height() - textHeight) / 2;
        rect.bottom = rect.top + textHeight;
    }
    for (CControlUI* parent = owner_->Parent(); parent != nullptr; parent = parent->Parent()) {
        const CUiRect client = parent->ClientRect();
        if (!parent->IsVisible() || !IntersectRect(&rect, &rect, &client)) {
            return CUiRect();
        }
    }
    return rect;
}

CUiRect CEditWnd::WindowRect() const {
    CUiRect rect = CalcEditRect();
    if (IsLayered()) {
        RECT window = {};
        GetWindowRect(manager_->WindowHandle(), &window);
        rect.Offset(window.left, window.top - 1);
    }
    return rect;
}

bool CEditWnd::Init() {
    if (manager_ == nullptr || manager_->WindowHandle() == nullptr) {
        return false;
    }
    const CUiRect rect = WindowRect();
    DWORD style = IsLayered() ? (WS_POPUP | WS_VISIBLE | ES_AUTOHSCROLL) : (WS_CHILD | ES_AUTOHSCROLL);
    const UINT textStyle = owner_->TextStyle();
    if (textStyle & DT_CENTER) {
        style |= ES_CENTER;
    } else if (textStyle & DT_RIGHT) {
        style |= ES_RIGHT;
    }
    if (owner_->IsPassword()) {
        style |= ES_PASSWORD;
    }
    if (Create(manager_->WindowHandle(), nullptr, style, 0, rect) == nullptr) {
        return false;
    }
    HWND window = Handle();
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(manager_->FontById(owner_->Font())), FALSE);
    SendMessageW(window, EM_LIMITTEXT, owner_->MaxChar(), 0);
    if (owner_->IsPassword()) {
        SendMessageW(window, EM_SETPASSWORDCHAR, owner_->PasswordChar(), 0);
    }
    SetWindowTextW(window, owner_->Text());
    SendMessageW(window, EM_SETMODIFY, FALSE, 0);
    SendMessageW(window, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
    EnableWindow(window, owner_->IsEnabled() ? TRUE : FALSE);
    SendMessageW(window, EM_SETREADONLY, owner_->IsReadOnly() ? TRUE : FALSE, 0);
    SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) | owner_->ExtraWindowStyle());
    ShowWindow(window, SW_SHOWNOACTIVATE);
    ::SetFocus(window);
    SelectAll();
    initialized_ = true;
    return true;
}

void CEditWnd::SelectAll() {
    const int length = GetWindowTextLengthW(Handle());
    SendMessageW(Handle(), EM_SETSEL, 0, length > 0 ? length : 1);
}

void CEditWnd::FollowOwner(bool resize) {
    if (Handle() == nullptr) {
        return;
    }
    const CUiRect rect = WindowRect();
    SetWindowPos(Handle(), nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                 SWP_NOACTIVATE | SWP_NOZORDER | (resize ? 0 : SWP_NOSIZE));
}

void CEditWnd::ForgetOwner() {
    owner_ = nullptr;
}

void CEditWnd::OnWindowGone() {
    if (owner_ != nullptr) {
        owner_->Invalidate();
        if (owner_->editWnd_ == this) {
            owner_->editWnd_ = nullptr;
        }
    }
}

void CEditWnd::OnCreate() {
    if (IsLayered()) {
        manager_->AddNativeWindow(Handle());
        SetTimer(Handle(), CPaintManagerUI::kCaretTimerId, GetCaretBlinkTime(), nullptr);
    }
}

void CEditWnd::OnChange() {
    if (!initialized_ || owner_ == nullptr) {
        return;
    }
    const int length = GetWindowTextLengthW(Handle());
    std::vector<wchar_t> text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    GetWindowTextW(Handle(), text.data(), static_cast<int>(text.size()));
    // The label's own setter: the native window already holds this text.
    owner_->CLabelUI::SetText(text.data());
    if (manager_ != nullptr) {
        manager_->SendNotify(owner_, L"textchanged");
    }
    // A handler may have deleted the field (and so dismissed this window).
    if (IsLayered() && owner_ != nullptr) {
        owner_->Invalidate();
    }
}

LRESULT CEditWnd::OnColor(UINT message, WPARAM wParam, LPARAM lParam) {
    if (owner_ == nullptr || owner_->NativeBkColor() == CEditUI::kNoNativeColor) {
        return CallPreviousProc(message, wParam, lParam);
    }
    HDC dc = reinterpret_cast<HDC>(wParam);
    DWORD text = owner_->NativeTextColor();
    if (text == 0) {
        text = owner_->TextColor();
    }
    if (text == 0 && manager_ != nullptr) {
        text = manager_->DefaultFontColor();
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ToColorRef(text));
    if (backBrush_ == nullptr) {
        backBrush_ = CreateSolidBrush(ToColorRef(owner_->NativeBkColor()));
    }
    return reinterpret_cast<LRESULT>(backBrush_);
}

void CEditWnd::DrawCaretMark(HDC dc) {
    if (owner_ == nullptr || !owner_->IsEnabled() || !caretShown_) {
        return;
    }
    POINT caret = {};
    RECT client = {};
    GetCaretPos(&caret);
    GetClientRect(Handle(), &client);
    RECT line = {caret.x, caret.y, caret.x + 1, caret.y + client.bottom - client.top};
    FillRect(dc, &line, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

LRESULT CEditWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate();
        break;
    case WM_KILLFOCUS: {
        const LRESULT result = CallPreviousProc(message, wParam, lParam);
        PostMessageW(Handle(), WM_CLOSE, 0, 0);
        return result;
    }
    case WM_COMMAND + kReflected:
        if (HIWORD(wParam) == EN_CHANGE) {
            OnChange();
        } else if (HIWORD(wParam) == EN_UPDATE) {
            InvalidateRect(Handle(), nullptr, FALSE);
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            if (owner_ != nullptr && manager_ != nullptr) {
                manager_->SendNotify(owner_, L"return");
            }
            return 0;
        }
        if (wParam == VK_TAB) {
            // A popup over a layered window is no child of it, so the
            // window's own Tab handling never sees the key.
            if (IsLayered()) {
                manager_->MoveTabFocus(true);
            }
            return 0;
        }
        break;
    case WM_TIMER:
        if (wParam == CPaintManagerUI::kCaretTimerId) {
            caretShown_ = !caretShown_;
            InvalidateRect(Handle(), nullptr, FALSE);
            return 0;
        }
        break;
    case WM_PRINT:
        if (IsLayered()) {
            const LRESULT result = CallPreviousProc(message, wParam, lParam);
            DrawCaretMark(reinterpret_cast<HDC>(wParam));
            return result;
        }
        break;
    case WM_CTLCOLOREDIT + kReflected:
    case WM_CTLCOLORSTATIC + kReflected:
        return OnColor(message, wParam, lParam);
    default:
        break;
    }
    return CallPreviousProc(message, wParam, lParam);
}

}  // namespace Orvel
