#include "EditUI.h"

#include "EditWnd.h"
#include "PaintManagerUI.h"
#include "UiRender.h"
#include "UiTextRegistry.h"
#include "UiValueParser.h"

#include <cwchar>

namespace Orvel {

namespace {

bool IsHighSurrogate(wchar_t ch) {
    return ch >= 0xD800 && ch <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t ch) {
    return ch >= 0xDC00 && ch <= 0xDFFF;
}

}  // namespace

CEditUI::CEditUI()
    : editWnd_(nullptr), maxChar_(255), readOnly_(false), password_(false), passwordChar_(L'*'), state_(0),
      tipValueColor_(0xFFBAC0C5), nativeBkColor_(kNoNativeColor), nativeTextColor_(0), extraStyle_(0) {
    look_.padding = CUiRect(4, 3, 4, 3);
}

CEditUI::~CEditUI() {
    if (editWnd_ != nullptr) {
        editWnd_->Dismiss();
    }
}

const wchar_t* CEditUI::ClassName() const {
    return L"EditUI";
}

void* CEditUI::CastTo(const wchar_t* name) {
    if (Is(name, L"Edit")) {
        return this;
    }
    return CLabelUI::CastTo(name);
}

HWND CEditUI::EditWindowHandle() const {
    return editWnd_ != nullptr ? editWnd_->Handle() : nullptr;
}

LRESULT CEditUI::SendToEditWindow(UINT message, WPARAM wParam, LPARAM lParam) const {
    HWND window = EditWindowHandle();
    return window != nullptr ? SendMessageW(window, message, wParam, lParam) : 0;
}

void CEditUI::SetText(const wchar_t* text) {
    CLabelUI::SetText(text);
    if (HWND window = EditWindowHandle()) {
        SetWindowTextW(window, text_);
    }
    Invalidate();
}

void CEditUI::EndEditingWhenHidden() {
    if (!IsVisible() && editWnd_ != nullptr && manager_ != nullptr) {
        manager_->FocusControl(nullptr, true);
    }
}

void CEditUI::SetVisible(bool visible) {
    CLabelUI::SetVisible(visible);
    EndEditingWhenHidden();
}

void CEditUI::SetShownByParent(bool shown) {
    CLabelUI::SetShownByParent(shown);
    EndEditingWhenHidden();
}

void CEditUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    if (!IsEnabled()) {
        state_ = 0;
    }
    if (HWND window = EditWindowHandle()) {
        EnableWindow(window, IsEnabled() ? TRUE : FALSE);
    }
}

void CEditUI::Place(const RECT& rect, bool invalidate) {
    CLabelUI::Place(rect, invalidate);
    if (editWnd_ != nullptr) {
        editWnd_->FollowOwner(true);
    }
}

void CEditUI::Shift(const SIZE& offset, bool invalidate) {
    CLabelUI::Shift(offset, invalidate);
    if (editWnd_ != nullptr) {
        editWnd_->FollowOwner(false);
    }
}

void CEditUI::ProcessEvent(UiEvent& event) {
    if (PassIgnoredMouseEvent(event)) {
        return;
    }
    const bool enabled = IsEnabled();
    switch (event.type) {
    case UiEventType::SetCursor:
        if (enabled) {
            ::SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
            return;
        }
        break;
    case UiEventType::WindowSize:
        // The layout pass places the field anew; the native window goes along.
        if (editWnd_ != nullptr) {
            editWnd_->FollowOwner(true);
        }
        break;
    case UiEventType::ScrollWheel:
        if (editWnd_ != nullptr) {
            return;
        }
        break;
    case UiEventType::SetFocus:
        if (!enabled) {
            break;
        }
        focused_ = true;
        if (editWnd_ == nullptr) {
            CNativeFieldWnd::Open(this, editWnd_);
            Invalidate();
        }
        return;
    case UiEventType::KillFocus:
        if (!enabled) {
            break;
        }
        focused_ = false;
        Invalidate();
        return;
    case UiEventType::ButtonDown:
    case UiEventType::DoubleClick:
    case UiEventType::RightButtonDown:
        if (!enabled) {
            return;
        }
        // The native window takes the mouse from here.
        if (manager_ != nullptr) {
            manager_->EndCapture();
        }
        if (HasFocus() && editWnd_ == nullptr) {
            CNativeFieldWnd::Open(this, editWnd_);
            if (!PtInRect(&itemRect_, event.mousePoint)) {
                return;
            }
        }
        if (editWnd_ != nullptr) {
            const int length = GetWindowTextLengthW(editWnd_->Handle());
            SendToEditWindow(EM_SETSEL, 0, length > 0 ? length : 1);
        }
        return;
    case UiEventType::MouseMove:
    case UiEventType::ButtonUp:
    case UiEventType::ContextMenu:
        return;
    case UiEventType::MouseEnter:
    case UiEventType::MouseLeave:
        if (!enabled) {
            break;
        }
        state_ = event.type == UiEventType::MouseEnter ? (state_ | StateHot) : (state_ & ~StateHot);
        Invalidate();
        return;
    default:
        break;
    }
    CLabelUI::ProcessEvent(event);
}

void CEditUI::ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"readonly")) {
        SetReadOnly(ParseBoolValue(value));
    } else if (Is(name, L"numberonly")) {
        SetNumberOnly(ParseBoolValue(value));
    } else if (Is(name, L"password")) {
        SetPassword(ParseBoolValue(value));
    } else if (Is(name, L"passwordchar")) {
        SetPasswordChar(*value);
    } else if (Is(name, L"maxchar")) {
        SetMaxChar(static_cast<UINT>(ParseInt(value)));
    } else if (Is(name, L"normalimage")) {
        SetNormalImage(value);
    } else if (Is(name, L"hotimage")) {
        SetHotImage(value);
    } else if (Is(name, L"focusedimage")) {
        SetFocusedImage(value);
    } else if (Is(name, L"disabledimage")) {
        SetDisabledImage(value);
    } else if (Is(name, L"tipvalue")) {
        SetTipValue(value);
    } else if (Is(name, L"tipvaluecolor")) {
        SetTipValueColor(ParseColorValue(value));
    } else if (Is(name, L"nativetextcolor")) {
        SetNativeTextColor(ParseColorValue(value));
    } else if (Is(name, L"nativebkcolor")) {
        SetNativeBkColor(ParseColorValue(value));
    } else {
        CLabelUI::ApplyOwnAttribute(name, value);
    }
}

CUiSize CEditUI::MeasureSize(const SIZE& available) {
    if (fixedHeight_ != 0 || manager_ == nullptr) {
        return CControlUI::MeasureSize(available);
    }
    return CUiSize(FixedWidth(), manager_->FontInfoById(look_.font)->metrics.tmHeight + 6);
}

void CEditUI::DrawStateImage(HDC dc) {
    state_ = HasFocus() ? (state_ | StateFocused) : (state_ & ~StateFocused);
    state_ = IsEnabled() ? (state_ & ~StateDisabled) : (state_ | StateDisabled);
    const CUiString* image = (state_ & StateDisabled) ? &disabledImage_
                             : (state_ & StateFocused) ? &focusedImage_
                             : (state_ & StateHot)     ? &hotImage_
                                                       : nullptr;
    if (image != nullptr && !image->IsEmpty() && DrawImage(dc, *image)) {
        return;
    }
    if (!normalImage_.IsEmpty()) {
        DrawImage(dc, normalImage_);
    }
}

CUiString CEditUI::MaskedText(const CUiString& text) const {
    CUiString masked;
    const int length = text.Length();
    for (int i = 0; i < length; ++i) {
        // A character outside the basic plane is one character, in two units.
        if (IsHighSurrogate(text.CharAt(i)) && i + 1 < length && IsLowSurrogate(text.CharAt(i + 1))) {
            ++i;
        }
        masked.Append(passwordChar_);
    }
    return masked;
}

void CEditUI::DrawTextContent(HDC dc) {
    ResolveDefaultColors();
    const CUiString text = Text();
    const CUiString tip = TipValue();
    CUiString shown;
    DWORD color = 0;
    if (text.IsEmpty() || text == tip) {
        shown = tip;
        color = tipValueColor_;
    } else {
        shown = password_ ? MaskedText(text) : text;
        color = look_.ColorFor(IsEnabled());
    }
    if (shown.IsEmpty()) {
        return;
    }
    CUiRect rect = TextRect();
    CUiRender::PaintText(dc, manager_, rect, shown, color, look_.font, look_.style | DT_SINGLELINE);
}

void CEditUI::SetMaxChar(UINT maxChar) {
    maxChar_ = maxChar;
    SendToEditWindow(EM_LIMITTEXT, maxChar_);
}

void CEditUI::SetReadOnly(bool readOnly) {
    if (readOnly_ == readOnly) {
        return;
    }
    readOnly_ = readOnly;
    SendToEditWindow(EM_SETREADONLY, readOnly_ ? TRUE : FALSE);
    Invalidate();
}

void CEditUI::SetNumberOnly(bool numberOnly) {
    extraStyle_ = numberOnly ? (extraStyle_ | ES_NUMBER) : (extraStyle_ & ~static_cast<UINT>(ES_NUMBER));
}

void CEditUI::SetPassword(bool password) {
    if (password_ == password) {
        return;
    }
    password_ = password;
    Invalidate();
    if (HWND window = EditWindowHandle()) {
        LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
        style = password_ ? (style | ES_PASSWORD) : (style & ~static_cast<LONG_PTR>(ES_PASSWORD));
        SetWindowLongPtrW(window, GWL_STYLE, style);
        // The edit control masks by its password character, not by the style bit.
        SendMessageW(window, EM_SETPASSWORDCHAR, password_ ? passwordChar_ : 0, 0);
        InvalidateRect(window, nullptr, TRUE);
    }
}

void CEditUI::SetPasswordChar(wchar_t ch) {
    // The null character masks nothing: the password would show in clear.
    if (ch == 0 || passwordChar_ == ch) {
        return;
    }
    passwordChar_ = ch;
    // A password character would mask a field that is not a password field.
    if (password_) {
        SendToEditWindow(EM_SETPASSWORDCHAR, passwordChar_);
    }
    Invalidate();
}

void CEditUI::SetImage(CUiString& field, const wchar_t* image) {
    field = image;
    Invalidate();
}

void CEditUI::SetNormalImage(const wchar_t* image) {
    SetImage(normalImage_, image);
}

void CEditUI::SetHotImage(const wchar_t* image) {
    SetImage(hotImage_, image);
}

void CEditUI::SetFocusedImage(const wchar_t* image) {
    SetImage(focusedImage_, image);
}

void CEditUI::SetDisabledImage(const wchar_t* image) {
    SetImage(disabledImage_, image);
}

CUiString CEditUI::TipValue() const {
    return textFromResource_ ? CUiTextRegistry::Instance().Text(tipValue_) : tipValue_;
}

void CEditUI::SetTipValue(const wchar_t* text) {
    tipValue_ = text;
    Invalidate();
}

void CEditUI::SetTipValueColor(DWORD argb) {
    tipValueColor_ = argb;
    Invalidate();
}

void CEditUI::SetNativeTextColor(DWORD argb) {
    nativeTextColor_ = argb;
}

void CEditUI::SetNativeBkColor(DWORD argb) {
    nativeBkColor_ = argb;
}

}  // namespace Orvel
