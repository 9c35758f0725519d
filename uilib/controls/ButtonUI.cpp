#include "ButtonUI.h"

#include "PaintManagerUI.h"
#include "TabLayoutUI.h"
#include "UiRender.h"
#include "UiValueParser.h"

#include <cwchar>

namespace Orvel {

CButtonUI::CButtonUI()
    : state_(0), hotBkColor_(0), pushedBkColor_(0), hotTextColor_(0), pushedTextColor_(0), focusedTextColor_(0),
      hotFont_(0), boundTabIndex_(-1) {
    look_.style = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
}

const wchar_t* CButtonUI::ClassName() const {
    return L"ButtonUI";
}

void* CButtonUI::CastTo(const wchar_t* name) {
    if (Is(name, L"Button")) {
        return this;
    }
    return CLabelUI::CastTo(name);
}

UINT CButtonUI::TraitFlags() const {
    UINT traits = 0;
    if (AcceptsKeyboard()) {
        traits |= UiTraitTabStop;
    }
    if (IsEnabled()) {
        traits |= UiTraitWantsCursor;
    }
    return traits;
}

bool CButtonUI::TryActivate() {
    if (!CLabelUI::TryActivate()) {
        return false;
    }
    if (manager_ != nullptr) {
        manager_->SendNotify(this, L"click");
    }
    if (CControlUI* bound = BoundTabLayout()) {
        static_cast<CTabLayoutUI*>(bound->CastTo(L"TabLayout"))->SelectItem(boundTabIndex_);
    }
    return true;
}

CControlUI* CButtonUI::BoundTabLayout() const {
    if (manager_ == nullptr || boundTabLayoutName_.IsEmpty() || boundTabIndex_ < 0) {
        return nullptr;
    }
    CControlUI* control = manager_->ControlByName(boundTabLayoutName_);
    return control != nullptr && control->CastTo(L"TabLayout") != nullptr ? control : nullptr;
}

void CButtonUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    if (!IsEnabled()) {
        state_ = 0;
    }
}

bool CButtonUI::PointerInside(const UiEvent& event) const {
    return PtInRect(&itemRect_, event.mousePoint) != FALSE;
}

void CButtonUI::ProcessEvent(UiEvent& event) {
    if (!AcceptsMouse() && IsMouseEvent(event.type)) {
        if (parent_ != nullptr) {
            parent_->ProcessEvent(event);
        } else {
            CLabelUI::ProcessEvent(event);
        }
        return;
    }
    switch (event.type) {
    case UiEventType::SetFocus:
    case UiEventType::KillFocus:
        Invalidate();
        break;
    case UiEventType::KeyDown:
        if (AcceptsKeyboard() && (event.key == VK_SPACE || event.key == VK_RETURN)) {
            TryActivate();
            return;
        }
        break;
    case UiEventType::ButtonDown:
    case UiEventType::DoubleClick:
        if (PointerInside(event) && IsEnabled()) {
            state_ |= StatePushed | StateCaptured;
            Invalidate();
        }
        return;
    case UiEventType::SetCursor:
        if (IsEnabled()) {
            ::SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return;
        }
        break;
    case UiEventType::MouseMove:
        if (state_ & StateCaptured) {
            state_ = PointerInside(event) ? (state_ | StatePushed) : (state_ & ~StatePushed);
            Invalidate();
        }
        return;
    case UiEventType::CaptureLost:
        if (state_ & (StatePushed | StateCaptured)) {
            state_ &= ~(StatePushed | StateCaptured);
            Invalidate();
        }
        return;
    case UiEventType::ButtonUp:
        if (state_ & StateCaptured) {
            state_ &= ~(StatePushed | StateCaptured);
            Invalidate();
            if (PointerInside(event)) {
                TryActivate();
            }
        }
        return;
    case UiEventType::ContextMenu:
        if (UsesContextMenu() && manager_ != nullptr) {
            manager_->SendNotify(this, L"menu", event.wParam, event.lParam);
        }
        return;
    case UiEventType::MouseEnter:
        if (IsEnabled()) {
            state_ |= StateHot;
            if (manager_ != nullptr) {
                manager_->SendNotify(this, L"mouseenter", event.wParam, event.lParam);
            }
            Invalidate();
        }
        break;
    case UiEventType::MouseLeave:
        if (IsEnabled()) {
            state_ &= ~StateHot;
            if (manager_ != nullptr) {
                manager_->SendNotify(this, L"mouseleave", event.wParam, event.lParam);
            }
            Invalidate();
        }
        break;
    default:
        break;
    }
    CLabelUI::ProcessEvent(event);
}

void CButtonUI::ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"normalimage")) {
        SetNormalImage(value);
    } else if (Is(name, L"hotimage")) {
        SetHotImage(value);
    } else if (Is(name, L"pushedimage")) {
        SetPushedImage(value);
    } else if (Is(name, L"focusedimage")) {
        SetFocusedImage(value);
    } else if (Is(name, L"disabledimage")) {
        SetDisabledImage(value);
    } else if (Is(name, L"hotforeimage")) {
        SetHotForeImage(value);
    } else if (Is(name, L"bindtabindex")) {
        SetBoundTabIndex(ParseInt(value));
    } else if (Is(name, L"bindtablayoutname")) {
        SetBoundTabLayoutName(value);
    } else if (Is(name, L"hotfont")) {
        SetHotFont(ParseInt(value));
    } else if (Is(name, L"hotbkcolor")) {
        SetHotBkColor(ParseColorValue(value));
    } else if (Is(name, L"pushedbkcolor")) {
        SetPushedBkColor(ParseColorValue(value));
    } else if (Is(name, L"hottextcolor")) {
        SetHotTextColor(ParseColorValue(value));
    } else if (Is(name, L"pushedtextcolor")) {
        SetPushedTextColor(ParseColorValue(value));
    } else if (Is(name, L"focusedtextcolor")) {
        SetFocusedTextColor(ParseColorValue(value));
    } else {
        CLabelUI::ApplyOwnAttribute(name, value);
    }
}

void CButtonUI::RefreshState() {
    state_ = HasFocus() ? (state_ | StateFocused) : (state_ & ~StateFocused);
    state_ = IsEnabled() ? (state_ & ~StateDisabled) : (state_ | StateDisabled);
    HWND window = manager_ != nullptr ? manager_->WindowHandle() : nullptr;
    if (window != nullptr && !IsWindowEnabled(window)) {
        state_ &= StateDisabled | StateSelected;
    }
}

void CButtonUI::DrawBackColor(HDC dc) {
    if ((state_ & StatePushed) && pushedBkColor_ != 0) {
        CUiRender::FillColor(dc, paintRect_, AdjustColor(pushedBkColor_));
    } else if ((state_ & StateHot) && hotBkColor_ != 0) {
        CUiRender::FillColor(dc, paintRect_, AdjustColor(hotBkColor_));
    } else {
        CLabelUI::DrawBackColor(dc);
    }
}

void CButtonUI::DrawStateImage(HDC dc) {
    RefreshState();
    const CUiString* image = (state_ & StateDisabled) ? &disabledImage_
                             : (state_ & StatePushed) ? &pushedImage_
                             : (state_ & StateHot)    ? &hotImage_
                             : (state_ & StateFocused) ? &focusedImage_
                                                       : nullptr;
    if (image != nullptr && !image->IsEmpty() && DrawImage(dc, *image)) {
        return;
    }
    if (!normalImage_.IsEmpty()) {
        DrawImage(dc, normalImage_);
    }
}

void CButtonUI::DrawForeImage(HDC dc) {
    const CUiString* image = (state_ & StatePushed) ? &pushedForeImage_
                             : (state_ & StateHot)  ? &hotForeImage_
                                                    : nullptr;
    if (image != nullptr && !image->IsEmpty() && DrawImage(dc, *image)) {
        return;
    }
    CLabelUI::DrawForeImage(dc);
}

void CButtonUI::DrawTextContent(HDC dc) {
    RefreshState();
    ResolveDefaultColors();
    DWORD color = look_.ColorFor(IsEnabled());
    int font = look_.font;
    if ((state_ & StatePushed) && pushedTextColor_ != 0) {
        color = pushedTextColor_;
    } else if ((state_ & StateHot) && hotTextColor_ != 0) {
        color = hotTextColor_;
        if (hotFont_ != 0) {
            font = hotFont_;
        }
    } else if ((state_ & StateFocused) && focusedTextColor_ != 0) {
        color = focusedTextColor_;
    }
    DrawLabelText(dc, color, font);
}

void CButtonUI::SetImage(CUiString& field, const wchar_t* image) {
    field = image;
    Invalidate();
}

const CUiString& CButtonUI::NormalImage() const {
    return normalImage_;
}

void CButtonUI::SetNormalImage(const wchar_t* image) {
    SetImage(normalImage_, image);
}

const CUiString& CButtonUI::HotImage() const {
    return hotImage_;
}

void CButtonUI::SetHotImage(const wchar_t* image) {
    SetImage(hotImage_, image);
}

const CUiString& CButtonUI::PushedImage() const {
    return pushedImage_;
}

void CButtonUI::SetPushedImage(const wchar_t* image) {
    SetImage(pushedImage_, image);
}

const CUiString& CButtonUI::FocusedImage() const {
    return focusedImage_;
}

void CButtonUI::SetFocusedImage(const wchar_t* image) {
    SetImage(focusedImage_, image);
}

const CUiString& CButtonUI::DisabledImage() const {
    return disabledImage_;
}

void CButtonUI::SetDisabledImage(const wchar_t* image) {
    SetImage(disabledImage_, image);
}

const CUiString& CButtonUI::HotForeImage() const {
    return hotForeImage_;
}

void CButtonUI::SetHotForeImage(const wchar_t* image) {
    SetImage(hotForeImage_, image);
}

void CButtonUI::SetPushedForeImage(const wchar_t* image) {
    SetImage(pushedForeImage_, image);
}

void CButtonUI::SetColor(DWORD& field, DWORD argb) {
    if (field != argb) {
        field = argb;
        Invalidate();
    }
}

void CButtonUI::SetHotBkColor(DWORD argb) {
    SetColor(hotBkColor_, argb);
}

void CButtonUI::SetPushedBkColor(DWORD argb) {
    SetColor(pushedBkColor_, argb);
}

void CButtonUI::SetHotTextColor(DWORD argb) {
    SetColor(hotTextColor_, argb);
}

void CButtonUI::SetPushedTextColor(DWORD argb) {
    SetColor(pushedTextColor_, argb);
}

void CButtonUI::SetFocusedTextColor(DWORD argb) {
    SetColor(focusedTextColor_, argb);
}

void CButtonUI::SetHotFont(int id) {
    if (hotFont_ != id) {
        hotFont_ = id;
        Invalidate();
    }
}

void CButtonUI::SetBoundTabIndex(int index) {
    if (index >= 0) {
        boundTabIndex_ = index;
    }
}

void CButtonUI::SetBoundTabLayoutName(const wchar_t* name) {
    boundTabLayoutName_ = name;
}

}  // namespace Orvel
