// The window attributes of the markup's Window element, the notification-area
// icon, and applying a new display scale.
#include "PaintManagerUI.h"

#include "ControlUI.h"
#include "PaintManagerShared.h"
#include "UiDrawInfo.h"
#include "UiDynamicCalls.h"
#include "UiValueParser.h"

#include <cwchar>

namespace Orvel {

namespace {

bool IsExactly(const wchar_t* name, const wchar_t* keyword) {
    return wcscmp(name, keyword) == 0;
}

BYTE ParseByte(const wchar_t* value) {
    const int number = ParseInt(value);
    return static_cast<BYTE>(number < 0 ? 0 : (number > 255 ? 255 : number));
}

}  // namespace

void CPaintManagerUI::SetInitSize(int cx, int cy) {
    initSize_ = CUiSize(cx, cy);
    // Once a tree is attached the window's size belongs to the window.
    if (window_ != nullptr && root_ == nullptr) {
        const CUiSize size = DpiScale().ScaleSize(cx, cy);
        SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CPaintManagerUI::SetMinInfo(int cx, int cy) {
    minInfo_ = CUiSize(cx, cy);
}

void CPaintManagerUI::SetMaxInfo(int cx, int cy) {
    maxInfo_ = CUiSize(cx, cy);
}

void CPaintManagerUI::SetLayered(bool layered) {
    if (window_ == nullptr || layered == layered_ || (GetWindowLongPtrW(window_, GWL_STYLE) & WS_CHILD) != 0 ||
        DynUpdateLayeredWindow() == nullptr) {
        return;
    }
    layered_ = layered;
    if (!layered_) {
        // A layered window nobody updates shows nothing.
        SetWindowLongPtrW(window_, GWL_EXSTYLE, GetWindowLongPtrW(window_, GWL_EXSTYLE) & ~WS_EX_LAYERED);
    }
    if (root_ != nullptr) {
        root_->RequestUpdate();
    }
    InvalidateAll();
}

void CPaintManagerUI::SetOpacity(BYTE opacity) {
    opacity_ = opacity;
    SetLayeredWindowAttributesProc setAttributes = DynSetLayeredWindowAttributes();
    if (window_ == nullptr || setAttributes == nullptr) {
        return;
    }
    SetWindowLongPtrW(window_, GWL_EXSTYLE, GetWindowLongPtrW(window_, GWL_EXSTYLE) | WS_EX_LAYERED);
    setAttributes(window_, 0, opacity_, LWA_ALPHA);
}

void CPaintManagerUI::SetLayeredOpacity(BYTE opacity) {
    opacity_ = opacity;
    InvalidateAll();
}

void CPaintManagerUI::SetDefaultColor(DWORD SharedResources::*sharedColor, DWORD CPaintManagerUI::*color,
                                      DWORD argb, bool shared) {
    if (shared) {
        SharedResources& resources = Shared();
        const DWORD old = resources.*sharedColor;
        resources.*sharedColor = argb;
        for (int i = 0; i < resources.managers.Count(); ++i) {
            auto* manager = static_cast<CPaintManagerUI*>(resources.managers.At(i));
            if (manager->*color == old) {
                manager->*color = argb;
            }
        }
    }
    this->*color = argb;
}

void CPaintManagerUI::SetDefaultDisabledColor(DWORD argb, bool shared) {
    SetDefaultColor(&SharedResources::disabledColor, &CPaintManagerUI::disabledColor_, argb, shared);
}

void CPaintManagerUI::SetDefaultFontColor(DWORD argb, bool shared) {
    SetDefaultColor(&SharedResources::fontColor, &CPaintManagerUI::fontColor_, argb, shared);
}

void CPaintManagerUI::SetDefaultLinkFontColor(DWORD argb, bool shared) {
    SetDefaultColor(&SharedResources::linkColor, &CPaintManagerUI::linkColor_, argb, shared);
}

void CPaintManagerUI::SetDefaultLinkHoverFontColor(DWORD argb, bool shared) {
    SetDefaultColor(&SharedResources::linkHoverColor, &CPaintManagerUI::linkHoverColor_, argb, shared);
}

void CPaintManagerUI::SetDefaultSelectedBkColor(DWORD argb, bool shared) {
    SetDefaultColor(&SharedResources::selectedColor, &CPaintManagerUI::selectedColor_, argb, shared);
}

void CPaintManagerUI::SetTrayIconId(int id) {
    if (id <= 0 || window_ == nullptr) {
        return;
    }
    RemoveTrayIcon();
    trayIcon_.cbSize = sizeof(trayIcon_);
    trayIcon_.hWnd = window_;
    trayIcon_.uID = static_cast<UINT>(id);
    trayIcon_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayIcon_.uCallbackMessage = kTrayIconMessage;
    trayIcon_.hIcon = LoadIconW(Instance(), MAKEINTRESOURCEW(id));
    trayIconAdded_ = Shell_NotifyIconW(NIM_ADD, &trayIcon_) != FALSE;
}

void CPaintManagerUI::SetTrayTipText(const wchar_t* text) {
    wcsncpy(trayIcon_.szTip, text != nullptr ? text : L"", ARRAYSIZE(trayIcon_.szTip) - 1);
    trayIcon_.szTip[ARRAYSIZE(trayIcon_.szTip) - 1] = L'\0';
    if (trayIconAdded_) {
        NOTIFYICONDATAW tip = trayIcon_;
        tip.uFlags = NIF_TIP;
        Shell_NotifyIconW(NIM_MODIFY, &tip);
    }
}

void CPaintManagerUI::RemoveTrayIcon() {
    if (trayIconAdded_) {
        Shell_NotifyIconW(NIM_DELETE, &trayIcon_);
        trayIconAdded_ = false;
    }
}

void CPaintManagerUI::ApplyWindowAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr) {
        return;
    }
    if (Is(name, L"size")) {
        const CUiSize size = ParseSizeValue(value);
        SetInitSize(size.cx, size.cy);
    } else if (Is(name, L"sizebox")) {
        SetSizeBox(ParseRectValue(value));
    } else if (Is(name, L"caption")) {
        SetCaptionRect(ParseRectValue(value));
    } else if (Is(name, L"roundcorner")) {
        const CUiSize size = ParseSizeValue(value);
        SetRoundCorner(size.cx, size.cy);
    } else if (Is(name, L"mininfo")) {
        const CUiSize size = ParseSizeValue(value);
        SetMinInfo(size.cx, size.cy);
    } else if (Is(name, L"maxinfo")) {
        const CUiSize size = ParseSizeValue(value);
        SetMaxInfo(size.cx, size.cy);
    } else if (Is(name, L"showdirty")) {
        SetShowUpdateRect(ParseBoolValue(value));
    } else if (Is(name, L"opacity") || Is(name, L"alpha")) {
        SetOpacity(ParseByte(value));
    } else if (IsExactly(name, L"layeredopacity")) {
        SetLayeredOpacity(ParseByte(value));
    } else if (IsExactly(name, L"layered") || IsExactly(name, L"bktrans")) {
        SetLayered(ParseBoolValue(value));
    } else if (Is(name, L"disabledfontcolor")) {
        SetDefaultDisabledColor(ParseColorValue(value));
    } else if (Is(name, L"defaultfontcolor")) {
        SetDefaultFontColor(ParseColorValue(value));
    } else if (Is(name, L"linkfontcolor")) {
        SetDefaultLinkFontColor(ParseColorValue(value));
    } else if (Is(name, L"linkhoverfontcolor")) {
        SetDefaultLinkHoverFontColor(ParseColorValue(value));
    } else if (Is(name, L"selectedcolor")) {
        SetDefaultSelectedBkColor(ParseColorValue(value));
    } else if (Is(name, L"gdiplustext")) {
        SetGdiplusText(ParseBoolValue(value));
    } else if (Is(name, L"textrenderinghint")) {
        SetTextRenderingHint(ParseInt(value));
    } else if (Is(name, L"trayiconid")) {
        SetTrayIconId(ParseInt(value));
    } else if (IsExactly(name, L"traytiptext")) {
        SetTrayTipText(value);
    } else {
        ApplyShadowAttribute(name, value);
    }
}

void CPaintManagerUI::ApplyShadowAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"shadowsize")) {
        shadow_.SetShadowSize(ParseInt(value));
    } else if (Is(name, L"shadowsharpness")) {
        shadow_.SetShadowSharpness(ParseInt(value));
    } else if (Is(name, L"shadowdarkness")) {
        shadow_.SetShadowDarkness(ParseInt(value));
    } else if (Is(name, L"shadowposition")) {
        const CUiSize offset = ParseSizeValue(value);
        shadow_.SetShadowOffset(offset.cx, offset.cy);
    } else if (Is(name, L"shadowcolor")) {
        shadow_.SetShadowColor(ParseColorValue(value));
    } else if (Is(name, L"shadowcorner")) {
        shadow_.SetShadowCorner(ParseRectValue(value));
    } else if (Is(name, L"shadowimage")) {
        shadow_.SetShadowImage(value);
    } else if (Is(name, L"showshadow")) {
        shadow_.SetShadowShown(ParseBoolValue(value));
    }
}

void CPaintManagerUI::ApplyScale(int dpi) {
    CUiDpiScale& scale = DpiScale();
    const int oldPercent = scale.ScalePercent();
    scale.SetDpi(dpi);
    const int newPercent = scale.ScalePercent();

    for (int i = 0; i < drawInfos_.Count(); ++i) {
        delete static_cast<UiDrawInfo*>(drawInfos_.Find(drawInfos_.KeyAt(i), false));
    }
    drawInfos_.Clear();
    ReleaseImages(images_);
    RebuildFonts();

    if (root_ != nullptr) {
        root_->OnScaleChanged(dpi);
    }
    for (int i = 0; i < postPaint_.Count(); ++i) {
        static_cast<CControlUI*>(postPaint_.At(i))->OnScaleChanged(dpi);
    }
    RECT bounds;
    if (window_ != nullptr && !IsZoomed(window_) && oldPercent > 0 && GetWindowRect(window_, &bounds)) {
        const int width = (bounds.right - bounds.left) * newPercent / oldPercent;
        const int height = (bounds.bottom - bounds.top) * newPercent / oldPercent;
        SetWindowPos(window_, nullptr, bounds.left, bounds.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (root_ != nullptr) {
        root_->RequestUpdate();
    }
    if (window_ != nullptr) {
        PostMessageW(window_, kScaleChangedMessage, 0, 0);
    }
}

}  // namespace Orvel
