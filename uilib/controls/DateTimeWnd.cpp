#include "DateTimeWnd.h"

#include "DateTimeUI.h"
#include "PaintManagerUI.h"

#include <commctrl.h>

namespace Orvel {

namespace {

// The paint manager reflects a child's WM_NOTIFY back to the child this far up.
constexpr UINT kReflectedNotify = WM_NOTIFY + 0x2000;

}  // namespace

CDateTimeWnd::CDateTimeWnd(CDateTimeUI* owner)
    : CNativeFieldWnd(owner->Manager()), owner_(owner), openedTime_(), initialized_(false), droppedDown_(false) {}

CDateTimeWnd::~CDateTimeWnd() = default;

const wchar_t* CDateTimeWnd::WindowClass() const {
    return L"DateTimeWnd";
}

const wchar_t* CDateTimeWnd::SuperclassName() const {
    return DATETIMEPICK_CLASSW;
}

RECT CDateTimeWnd::PickerRect() const {
    CUiRect rect = owner_->ItemRect();
    for (CControlUI* parent = owner_->Parent(); parent != nullptr; parent = parent->Parent()) {
        if (!parent->IsVisible() || !rect.Intersect(parent->ClientRect())) {
            return CUiRect();
        }
    }
    return rect;
}

bool CDateTimeWnd::Init() {
    owner_->SetUpdateMode(CDateTimeUI::KeepText);
    if (Handle() == nullptr) {
        // The picker's class exists once the date classes are initialised.
        INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_DATE_CLASSES};
        InitCommonControlsEx(&classes);
        if (manager_ == nullptr || manager_->WindowHandle() == nullptr ||
            Create(manager_->WindowHandle(), nullptr, WS_CHILD, 0, PickerRect()) == nullptr) {
            return false;
        }
        SendToWindow(WM_SETFONT, reinterpret_cast<WPARAM>(manager_->FontById(owner_->Font())), TRUE);
    }
    if (owner_->Text().IsEmpty()) {
        GetLocalTime(&owner_->time_);
    }
    openedTime_ = owner_->time_;
    SendToWindow(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&openedTime_));
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    ::SetFocus(Handle());
    initialized_ = true;
    return true;
}

void CDateTimeWnd::ForgetOwner() {
    owner_ = nullptr;
}

void CDateTimeWnd::OnWindowGone() {
    if (owner_ != nullptr && owner_->window_ == this) {
        owner_->window_ = nullptr;
    }
}

void CDateTimeWnd::TakePickerTime() {
    SYSTEMTIME time = {};
    if (SendToWindow(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) == GDT_VALID) {
        owner_->SetTime(time);
    }
}

void CDateTimeWnd::OnNotify(const NMHDR& header) {
    if (header.hwndFrom != Handle()) {
        return;
    }
    switch (header.code) {
    case DTN_DATETIMECHANGE:
        TakePickerTime();
        break;
    case DTN_DROPDOWN:
        droppedDown_ = true;
        break;
    case DTN_CLOSEUP:
        TakePickerTime();
        PostToWindow(WM_CLOSE);
        droppedDown_ = false;
        break;
    default:
        break;
    }
}

LRESULT CDateTimeWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (owner_ != nullptr) {
        switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                owner_->SetTime(openedTime_);
                PostToWindow(WM_CLOSE);
                return 0;
            }
            break;
        case kReflectedNotify:
            if (lParam != 0) {
                OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
            }
            break;
        case WM_KILLFOCUS:
            if (!droppedDown_) {
                PostToWindow(WM_CLOSE);
            }
            break;
        case WM_CLOSE:
            // Some pickers hand the focus to their calendar before they report
            // the drop-down: a close asked for meanwhile waits for the close-up.
            if (droppedDown_) {
                return 0;
            }
            break;
        case WM_PAINT:
            if (IsLayered()) {
                manager_->AddNativeWindow(Handle());
            }
            break;
        default:
            break;
        }
    }
    return CallPreviousProc(message, wParam, lParam);
}

}  // namespace Orvel
