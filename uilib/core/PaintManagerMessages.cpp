// The paint manager's message side: the message loop, pre-translation, and
// the translation of window messages into control events.
#include "PaintManagerUI.h"

#include "ControlUI.h"
#include "PaintManagerShared.h"
#include "UiInterfaces.h"
#include "UiRender.h"

#include <windowsx.h>

#include <cwchar>
#include <cwctype>

namespace Orvel {

namespace {

// Notifications and colour requests of native children come back to them
// as reflected messages at this offset.
constexpr UINT kReflectedMessageBase = 0x2000;
constexpr DWORD kDefaultHoverTime = 400;
constexpr int kSampleKeyState = -1;

WORD SampleKeyState() {
    WORD state = 0;
    if (GetKeyState(VK_RBUTTON) < 0) {
        state |= UiKeyRightButton;
    }
    if (GetKeyState(VK_LBUTTON) < 0) {
        state |= UiKeyLeftButton;
    }
    if (GetKeyState(VK_SHIFT) < 0) {
        state |= UiKeyShift;
    }
    if (GetKeyState(VK_CONTROL) < 0) {
        state |= UiKeyControl;
    }
    if (GetKeyState(VK_MENU) < 0) {
        state |= UiKeyAlt;
    }
    return state;
}

POINT PointOf(LPARAM lParam) {
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

bool SamePoint(const POINT& a, const POINT& b) {
    return a.x == b.x && a.y == b.y;
}

struct ShortcutSearch {
    wchar_t key;
    bool afterLabel;
};

// A label's shortcut hands the focus to whatever follows it.
CControlUI* VisitShortcut(CControlUI* control, void* data) {
    auto* search = static_cast<ShortcutSearch*>(data);
    if (!control->IsVisible()) {
        return nullptr;
    }
    if (search->afterLabel) {
        return control;
    }
    if (control->Shortcut() == 0 || static_cast<wchar_t>(towupper(control->Shortcut())) != search->key) {
        return nullptr;
    }
    if (wcsstr(control->ClassName(), L"LabelUI") != nullptr) {
        search->afterLabel = true;
        return nullptr;
    }
    return control;
}

}  // namespace

WPARAM CPaintManagerUI::RunMessageLoop() {
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        try {
            if (PreTranslate(&message)) {
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        } catch (...) {
        }
    }
    return message.wParam;
}

bool CPaintManagerUI::PreTranslate(MSG* message) {
    if (message == nullptr || message->hwnd == nullptr) {
        return false;
    }
    CUiPtrArray& managers = Shared().managers;
    LRESULT result = 0;
    const LONG_PTR style = GetWindowLongPtrW(message->hwnd, GWL_STYLE);
    if ((style & WS_CHILD) != 0) {
        for (int i = 0; i < managers.Count(); ++i) {
            auto* manager = static_cast<CPaintManagerUI*>(managers.At(i));
            for (HWND ancestor = GetParent(message->hwnd); ancestor != nullptr; ancestor = GetParent(ancestor)) {
                if (manager->window_ != message->hwnd && manager->window_ != ancestor) {
                    continue;
                }
                if (manager->TranslateAccelerator(message) ||
                    manager->PreHandleMessage(message->message, message->wParam, message->lParam, result)) {
                    return true;
                }
                // Each manager sees the message once, however deep the child.
                break;
            }
        }
        return false;
    }
    for (int i = 0; i < managers.Count(); ++i) {
        auto* manager = static_cast<CPaintManagerUI*>(managers.At(i));
        if (manager->window_ == message->hwnd) {
            return manager->TranslateAccelerator(message) ||
                   manager->PreHandleMessage(message->message, message->wParam, message->lParam, result);
        }
    }
    return false;
}

bool CPaintManagerUI::PreHandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (RunMessageFilters(preMessageFilters_, message, wParam, lParam, result)) {
        return true;
    }
    switch (message) {
    case WM_KEYDOWN:
        if (wParam != VK_TAB) {
            return false;
        }
        // Rich edit fields that want Tab, and embedded browsers, take it themselves.
        if (focus_ != nullptr && focus_->IsVisible() && focus_->IsEnabled() &&
            ((wcsstr(focus_->ClassName(), L"RichEditUI") != nullptr &&
              (focus_->TraitFlags() & UiTraitWantsTab) != 0) ||
             wcsstr(focus_->ClassName(), L"WkeWebkitUI") != nullptr)) {
            return false;
        }
        MoveTabFocus(GetKeyState(VK_SHIFT) >= 0);
        return true;
    case WM_SYSCHAR:
        return HandleShortcut(static_cast<wchar_t>(wParam));
    case WM_SYSKEYDOWN:
        SendEvent(focus_, UiEventType::SysKey, wParam, lParam, static_cast<wchar_t>(wParam));
        return false;
    default:
        return false;
    }
}

bool CPaintManagerUI::HandleShortcut(wchar_t ch) {
    if (root_ == nullptr) {
        return false;
    }
    ShortcutSearch search = {static_cast<wchar_t>(towupper(ch)), false};
    CControlUI* control =
        root_->FindBy(VisitShortcut, &search, UiFindEnabled | UiFindMeFirst | UiFindTopFirst);
    if (control == nullptr) {
        return false;
    }
    FocusControl(control);
    control->TryActivate();
    return true;
}

bool CPaintManagerUI::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (window_ == nullptr) {
        return false;
    }
    if (RunMessageFilters(messageFilters_, message, wParam, lParam, result)) {
        return true;
    }
    switch (message) {
    case WM_CLOSE:
        OnClose();
        return false;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT:
        OnPaint();
        result = 0;
        return true;
    case WM_PRINTCLIENT:
        PrintClient(reinterpret_cast<HDC>(wParam), lParam);
        return false;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(lParam);
        return false;
    case WM_SIZE:
        SendEvent(focus_, UiEventType::WindowSize, wParam, lParam);
        if (root_ != nullptr) {
            root_->RequestUpdate();
        }
        result = 0;
        return true;
    case WM_TIMER:
        OnTimer(wParam, lParam);
        return false;
    case WM_MOUSEHOVER:
        if (OnMouseHover(lParam)) {
            result = 0;
            return true;
        }
        return false;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return false;
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, lParam);
        return false;
    case WM_CAPTURECHANGED:
        // Our own release clears the flag first; capturing again keeps it.
        if (captured_ && reinterpret_cast<HWND>(lParam) != window_) {
            OnCaptureLost();
        }
        return false;
    case WM_CANCELMODE:
        OnCaptureLost();
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        OnButtonDown(message, wParam, lParam);
        return false;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        OnButtonUp(message, wParam, lParam);
        return false;
    case WM_CONTEXTMENU:
        OnContextMenu(wParam, lParam);
        return false;
    case WM_MOUSEWHEEL:
        OnMouseWheel(wParam, lParam);
        return false;
    case WM_SETCURSOR:
        return OnSetCursor(wParam, lParam, result);
    case WM_KEYDOWN:
        if (focus_ != nullptr) {
            keyPressed_ = focus_;
            SendEvent(focus_, UiEventType::KeyDown, wParam, lParam, static_cast<wchar_t>(wParam));
        }
        return false;
    case WM_KEYUP:
        if (CControlUI* control = keyPressed_) {
            keyPressed_ = nullptr;
            SendEvent(control, UiEventType::KeyUp, wParam, lParam, static_cast<wchar_t>(wParam));
        }
        return false;
    case WM_CHAR:
        SendEvent(focus_, UiEventType::Char, wParam, lParam, static_cast<wchar_t>(wParam));
        return false;
    case WM_SETFOCUS:
        SendEvent(focus_, UiEventType::SetFocus, wParam, lParam);
        return false;
    case WM_NOTIFY:
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return ReflectMessage(message, wParam, lParam, result);
    case kDeferredWorkMessage:
        ProcessDeferredWork();
        return false;
    default:
        return false;
    }
}

bool CPaintManagerUI::RunMessageFilters(const CUiPtrArray& filters, UINT message, WPARAM wParam, LPARAM lParam,
                                        LRESULT& result) {
    for (int i = 0; i < filters.Count(); ++i) {
        bool handled = false;
        LRESULT answer = static_cast<IMessageFilterUI*>(filters.At(i))->MessageHandler(message, wParam, lParam, handled);
        if (handled) {
            result = answer;
            return true;
        }
    }
    return false;
}

void CPaintManagerUI::SendEvent(CControlUI* control, UiEventType type, WPARAM wParam, LPARAM lParam, wchar_t key,
                                int keyState, const POINT* at) {
    if (control == nullptr) {
        return;
    }
    UiEvent event;
    event.type = type;
    event.sender = control;
    event.timestamp = GetTickCount();
    event.mousePoint = at != nullptr ? *at : lastMousePos_;
    event.key = key;
    event.keyState = keyState == kSampleKeyState ? SampleKeyState() : static_cast<WORD>(keyState);
    event.wParam = wParam;
    event.lParam = lParam;
    control->HandleEvent(event);
}

CControlUI* CPaintManagerUI::OwnControlAt(POINT point) const {
    CControlUI* control = ControlAtPoint(point);
    return (control != nullptr && control->Manager() == this) ? control : nullptr;
}

void CPaintManagerUI::StoreScreenPoint(LPARAM lParam) {
    POINT point = PointOf(lParam);
    ScreenToClient(window_, &point);
    lastMousePos_ = point;
}

void CPaintManagerUI::OnClose() {
    if (CControlUI* control = hover_) {
        hover_ = nullptr;
        SendEvent(control, UiEventType::MouseLeave);
    }
    if (CControlUI* control = pressed_) {
        pressed_ = nullptr;
        SendEvent(control, UiEventType::ButtonUp);
    }
    FocusControl(nullptr);
    HWND owner = GetWindow(window_, GW_OWNER);
    if (GetActiveWindow() == window_ && owner != nullptr) {
        ::SetFocus(owner);
    }
    if (toolTip_ != nullptr) {
        DestroyWindow(toolTip_);
        toolTip_ = nullptr;
    }
}

void CPaintManagerUI::OnGetMinMaxInfo(LPARAM lParam) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    if (info == nullptr) {
        return;
    }
    if (minInfo_.cx > 0) {
        info->ptMinTrackSize.x = minInfo_.cx;
    }
    if (minInfo_.cy > 0) {
        info->ptMinTrackSize.y = minInfo_.cy;
    }
    if (maxInfo_.cx > 0) {
        info->ptMaxTrackSize.x = maxInfo_.cx;
        info->ptMaxSize.x = maxInfo_.cx;
    }
    if (maxInfo_.cy > 0) {
        info->ptMaxTrackSize.y = maxInfo_.cy;
        info->ptMaxSize.y = maxInfo_.cy;
    }
}

void CPaintManagerUI::OnTimer(WPARAM id, LPARAM lParam) {
    if (id == kCaretTimerId) {
        ToggleCaretMark();
        return;
    }
    for (int i = 0; i < timers_.Count(); ++i) {
        auto* timer = static_cast<TimerInfo*>(timers_.At(i));
        if (timer->window == window_ && timer->systemId == id && !timer->killed) {
            // The control may stop or restart timers while it handles this.
            SendEvent(timer->control, UiEventType::Timer, timer->localId, lParam);
            return;
        }
    }
}

void CPaintManagerUI::StartMouseTracking() {
    DWORD hoverTime = kDefaultHoverTime;
    if (toolTip_ != nullptr) {
        hoverTime = static_cast<DWORD>(SendMessageW(toolTip_, TTM_GETDELAYTIME, TTDT_INITIAL, 0));
    }
    TRACKMOUSEEVENT track = {sizeof(track), TME_HOVER | TME_LEAVE, window_, hoverTime};
    TrackMouseEvent(&track);
    mouseTracking_ = true;
}

bool CPaintManagerUI::OnMouseHover(LPARAM lParam) {
    mouseTracking_ = false;
    CControlUI* control = OwnControlAt(PointOf(lParam));
    if (control == nullptr) {
        return false;
    }
    SendEvent(hover_, UiEventType::MouseHover, 0, lParam);
    ShowToolTip(control);
    return true;
}

void CPaintManagerUI::ShowToolTip(CControlUI* control) {
    toolTipText_ = control->ToolTip();
    if (toolTipText_.IsEmpty()) {
        return;
    }
    toolInfo_ = TOOLINFOW{};
    // The size of the record without its last field, on both pointer sizes.
    toolInfo_.cbSize = TTTOOLINFOW_V2_SIZE;
    toolInfo_.uFlags = TTF_IDISHWND;
    toolInfo_.hwnd = window_;
    toolInfo_.uId = reinterpret_cast<UINT_PTR>(window_);
    toolInfo_.hinst = Instance();
    toolInfo_.lpszText = const_cast<wchar_t*>(toolTipText_.Data());
    toolInfo_.rect = control->ItemRect();
    if (toolTip_ == nullptr) {
        toolTip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                                   Instance(), nullptr);
        if (toolTip_ == nullptr) {
            return;
        }
        SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&toolInfo_));
        SendMessageW(toolTip_, TTM_SETMAXTIPWIDTH, 0, control->ToolTipWidth());
    }
    if (!IsWindowVisible(toolTip_)) {
        SendMessageW(toolTip_, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&toolInfo_));
        SendMessageW(toolTip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&toolInfo_));
    }
}

void CPaintManagerUI::HideToolTip() {
    if (toolTip_ != nullptr) {
        SendMessageW(toolTip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&toolInfo_));
    }
}

void CPaintManagerUI::OnMouseLeave() {
    if (!mouseTracking_) {
        return;
    }
    POINT cursor = {};
    GetCursorPos(&cursor);
    RECT bounds = {};
    GetWindowRect(window_, &bounds);
    const bool inside = !IsIconic(window_) && GetActiveWindow() == window_ && PtInRect(&bounds, cursor) &&
                        SendMessageW(window_, WM_NCHITTEST, 0, MAKELPARAM(cursor.x, cursor.y)) == HTCLIENT;
    if (inside) {
        ScreenToClient(window_, &cursor);
        SendMessageW(window_, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x, cursor.y));
    } else {
        SendMessageW(window_, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
    }
    mouseTracking_ = false;
}

void CPaintManagerUI::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    if (!mouseTracking_) {
        StartMouseTracking();
    }
    const POINT point = PointOf(lParam);
    const bool realMove = !SamePoint(point, lastMousePos_);
    lastMousePos_ = point;
    CControlUI* control = ControlAtPoint(point);
    if (control != nullptr && control->Manager() != this) {
        return;
    }
    if (realMove && dragPending_ && wParam == MK_LBUTTON) {
        EndCapture();
        OnDragStart(pressed_, dragImage_);
        dragPending_ = false;
        return;
    }
    if (control != hover_ && hover_ != nullptr) {
        CControlUI* left = hover_;
        hover_ = nullptr;
        SendEvent(left, UiEventType::MouseLeave, wParam, lParam);
        HideToolTip();
    }
    if (control != hover_ && control != nullptr) {
        hover_ = control;
        SendEvent(control, UiEventType::MouseEnter, wParam, lParam);
    }
    SendEvent(pressed_ != nullptr ? pressed_ : control, UiEventType::MouseMove, wParam, lParam);
}

void CPaintManagerUI::OnButtonDown(UINT message, WPARAM wParam, LPARAM lParam) {
    ::SetFocus(window_);
    lastMousePos_ = PointOf(lParam);
    CControlUI* control = OwnControlAt(lastMousePos_);
    if (control == nullptr) {
        return;
    }
    const int buttons = LOWORD(wParam);
    switch (message) {
    case WM_LBUTTONDOWN:
        if (control->IsDragSource()) {
            dragPending_ = true;
            if (dragImage_ != nullptr) {
                DeleteObject(dragImage_);
            }
            dragImage_ = CUiRender::RenderControlBitmap(this, control, control->ItemRect());
        }
        BeginCapture();
        pressed_ = control;
        FocusControl(control);
        SendEvent(control, UiEventType::ButtonDown, wParam, lParam, 0, buttons);
        break;
    case WM_LBUTTONDBLCLK:
        BeginCapture();
        pressed_ = control;
        SendEvent(control, UiEventType::DoubleClick, wParam, lParam, 0, buttons);
        break;
    default:
        FocusControl(control);
        BeginCapture();
        pressed_ = control;
        SendEvent(control, message == WM_RBUTTONDOWN ? UiEventType::RightButtonDown : UiEventType::MiddleButtonDown,
                  wParam, lParam, 0, buttons);
        break;
    }
}

void CPaintManagerUI::OnButtonUp(UINT message, WPARAM wParam, LPARAM lParam) {
    EndCapture();
    lastMousePos_ = PointOf(lParam);
    const int buttons = LOWORD(wParam);
    if (message == WM_LBUTTONUP) {
        // A press that never moved must not start a drag with a later press.
        dragPending_ = false;
        if (CControlUI* control = pressed_) {
            pressed_ = nullptr;
            SendEvent(control, UiEventType::ButtonUp, wParam, lParam, 0, buttons);
        }
        return;
    }
    CControlUI* control = OwnControlAt(lastMousePos_);
    if (message == WM_RBUTTONUP) {
        // Stays pressed for the WM_CONTEXTMENU that follows.
        pressed_ = control;
        SendEvent(control, UiEventType::RightButtonUp, wParam, lParam, 0, buttons);
    } else {
        // No message follows a middle click that would release the control.
        pressed_ = nullptr;
        SendEvent(control, UiEventType::MiddleButtonUp, wParam, lParam, 0, buttons);
    }
}

void CPaintManagerUI::OnCaptureLost() {
    dragPending_ = false;
    EndCapture();
    if (CControlUI* control = pressed_) {
        pressed_ = nullptr;
        SendEvent(control, UiEventType::CaptureLost);
    }
}

void CPaintManagerUI::OnContextMenu(WPARAM wParam, LPARAM lParam) {
    StoreScreenPoint(lParam);
    if (CControlUI* control = pressed_) {
        EndCapture();
        pressed_ = nullptr;
        SendEvent(control, UiEventType::ContextMenu, wParam, lParam);
    }
}

void CPaintManagerUI::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
    StoreScreenPoint(lParam);
    const POINT point = lastMousePos_;
    if (CControlUI* control = OwnControlAt(point)) {
        const WPARAM down = GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? 1 : 0;
        SendEvent(control, UiEventType::ScrollWheel, down, lParam);
    }
    SendMessageW(window_, WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));
}

bool CPaintManagerUI::OnSetCursor(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (LOWORD(lParam) != HTCLIENT) {
        return false;
    }
    if (captured_) {
        result = TRUE;
        return true;
    }
    POINT point = {};
    GetCursorPos(&point);
    ScreenToClient(window_, &point);
    CControlUI* control = OwnControlAt(point);
    if (control == nullptr || (control->TraitFlags() & UiTraitWantsCursor) == 0) {
        return false;
    }
    // No mouse message has brought this point yet.
    SendEvent(control, UiEventType::SetCursor, wParam, lParam, 0, kSampleKeyState, &point);
    result = TRUE;
    return true;
}

bool CPaintManagerUI::ReflectMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND child = nullptr;
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        child = header != nullptr ? header->hwndFrom : nullptr;
    } else {
        child = reinterpret_cast<HWND>(lParam);
    }
    if (child == nullptr || !IsWindow(child)) {
        return false;
    }
    result = SendMessageW(child, message + kReflectedMessageBase, wParam, lParam);
    return message != WM_COMMAND || result != 0;
}

bool CPaintManagerUI::OnDrop(const FORMATETC&, STGMEDIUM&, DWORD* effect) {
    if (effect != nullptr) {
        *effect = DROPEFFECT_NONE;
    }
    return false;
}

bool CPaintManagerUI::OnDragStart(CControlUI*, HBITMAP) {
    return false;
}

}  // namespace Orvel
