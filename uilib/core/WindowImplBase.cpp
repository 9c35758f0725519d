#include "WindowImplBase.h"

#include "ControlUI.h"
#include "LayoutBuilder.h"
#include "UiEvent.h"

#include <windowsx.h>

#include <cwchar>

namespace Orvel {

namespace {

using MessageHandler = LRESULT (WindowImplBase::*)(UINT, WPARAM, LPARAM, bool&);

struct MessageRoute {
    UINT message;
    MessageHandler handler;
};

const MessageRoute kMessageRoutes[] = {
    {WM_CREATE, &WindowImplBase::MsgCreate},
    {WM_DESTROY, &WindowImplBase::MsgDestroy},
    {WM_SIZE, &WindowImplBase::MsgSize},
    {WM_SETFOCUS, &WindowImplBase::MsgSetFocus},
    {WM_KILLFOCUS, &WindowImplBase::MsgKillFocus},
    {WM_CLOSE, &WindowImplBase::MsgClose},
    {WM_GETMINMAXINFO, &WindowImplBase::MsgGetMinMaxInfo},
    {WM_NCCALCSIZE, &WindowImplBase::MsgNcCalcSize},
    {WM_NCHITTEST, &WindowImplBase::MsgNcHitTest},
    {WM_NCPAINT, &WindowImplBase::MsgNcPaint},
    {WM_NCACTIVATE, &WindowImplBase::MsgNcActivate},
    {WM_KEYDOWN, &WindowImplBase::MsgKeyDown},
    {WM_KEYUP, &WindowImplBase::MsgKeyUp},
    {WM_CHAR, &WindowImplBase::MsgChar},
    {WM_SYSCOMMAND, &WindowImplBase::MsgSysCommand},
    {WM_MOUSEMOVE, &WindowImplBase::MsgMouseMove},
    {WM_LBUTTONDOWN, &WindowImplBase::MsgLButtonDown},
    {WM_LBUTTONUP, &WindowImplBase::MsgLButtonUp},
    {WM_MOUSEWHEEL, &WindowImplBase::MsgMouseWheel},
    {WM_MOUSEHOVER, &WindowImplBase::MsgMouseHover},
    {WM_DPICHANGED, &WindowImplBase::MsgDpiChanged},
};

// Controls that only show something: dragging the caption over them moves
// the window, while anything else under the pointer (a button, say) keeps
// the click for itself.
bool IsPassiveClass(const wchar_t* className) {
    static const wchar_t* const kPassive[] = {
        L"controlui",         L"labelui",        L"containerui",   L"horizontallayoutui",  L"verticallayoutui",
        L"tablayoutui",       L"childlayoutui",  L"dialoglayoutui", L"progresscontainerui",
    };
    CUiString lower(className != nullptr ? className : L"");
    lower.ToLower();
    for (const wchar_t* passive : kPassive) {
        if (lower == passive) {
            return true;
        }
    }
    return false;
}

LRESULT NotHandled(bool& handled) {
    handled = false;
    return 0;
}

}  // namespace

ORVEL_BEGIN_NOTIFY_MAP(WindowImplBase, CNotifyPump)
ORVEL_ON_NOTIFY(L"click", L"", OnClickNotify)
ORVEL_END_NOTIFY_MAP()

WindowImplBase::~WindowImplBase() {
    // The window would otherwise call into this object after it is gone.
    if (IsWindow(Handle())) {
        DestroyWindow(Handle());
    }
}

UINT WindowImplBase::ClassStyle() const {
    return CS_DBLCLKS;
}

LRESULT WindowImplBase::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    bool handled = true;
    LRESULT result = 0;
    if (RouteToHandler(message, wParam, lParam, handled, result) && handled) {
        return result;
    }
    handled = true;
    result = MsgOther(message, wParam, lParam, handled);
    if (handled) {
        return result;
    }
    if (paintManager_.HandleWindowMessage(message, wParam, lParam, result)) {
        return result;
    }
    return CallPreviousProc(message, wParam, lParam);
}

bool WindowImplBase::RouteToHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled, LRESULT& result) {
    for (const MessageRoute& route : kMessageRoutes) {
        if (route.message == message) {
            result = (this->*route.handler)(message, wParam, lParam, handled);
            return true;
        }
    }
    return false;
}

void WindowImplBase::FinalCleanup(HWND) {
    paintManager_.RemovePreMessageFilter(this);
    paintManager_.RemoveNotifier(this);
    if (CControlUI* root = paintManager_.Root()) {
        paintManager_.ForgetControl(root);
    }
}

void WindowImplBase::InitWindow() {}

void WindowImplBase::OnSkinReady() {}

void WindowImplBase::OnClickNotify(UiNotify& notify) {
    if (notify.sender == nullptr) {
        return;
    }
    const CUiString& name = notify.sender->Name();
    if (name == L"closebtn") {
        Close(1);
    } else if (name == L"minbtn") {
        SendToWindow(WM_SYSCOMMAND, SC_MINIMIZE);
    } else if (name == L"maxbtn") {
        SendToWindow(WM_SYSCOMMAND, SC_MAXIMIZE);
    } else if (name == L"restorebtn") {
        SendToWindow(WM_SYSCOMMAND, SC_RESTORE);
    }
}

CUiString WindowImplBase::SkinType() const {
    return CUiString();
}

CUiString WindowImplBase::ManagerName() const {
    return CUiString();
}

bool WindowImplBase::DefaultKeyResponse(UINT key) {
    return key == VK_ESCAPE;
}

LRESULT WindowImplBase::MsgClose(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}

LRESULT WindowImplBase::MsgDestroy(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}

LRESULT WindowImplBase::MsgNcActivate(UINT, WPARAM wParam, LPARAM, bool& handled) {
    if (IsIconic(Handle())) {
        return NotHandled(handled);
    }
    return wParam == 0 ? TRUE : FALSE;
}

// The whole window is client area, and no frame is drawn.
LRESULT WindowImplBase::MsgNcCalcSize(UINT, WPARAM, LPARAM, bool&) {
    return 0;
}

LRESULT WindowImplBase::MsgNcPaint(UINT, WPARAM, LPARAM, bool&) {
    return 0;
}

LRESULT WindowImplBase::MsgNcHitTest(UINT, WPARAM, LPARAM lParam, bool&) {
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(Handle(), &point);
    RECT client = {};
    GetClientRect(Handle(), &client);
    if (!IsZoomed(Handle())) {
        const CUiRect& box = paintManager_.SizeBox();
        const bool left = point.x < client.left + box.left;
        const bool right = point.x > client.right - box.right;
        if (point.y < client.top + box.top) {
            return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
        }
        if (point.y > client.bottom - box.bottom) {
            return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
        }
        if (left) {
            return HTLEFT;
        }
        if (right) {
            return HTRIGHT;
        }
    }
    return CaptionHitTest(point, client);
}

LRESULT WindowImplBase::CaptionHitTest(POINT point, const RECT& client) {
    const CUiRect& caption = paintManager_.CaptionRect();
    const LONG bottom = caption.bottom == -1 ? client.bottom : caption.bottom;
    if (point.x < client.left + caption.left || point.x >= client.right - caption.right || point.y < caption.top ||
        point.y >= bottom) {
        return HTCLIENT;
    }
    CControlUI* control = paintManager_.ControlAtPoint(point);
    if (control == nullptr) {
        return HTCLIENT;
    }
    for (; control != nullptr; control = control->Parent()) {
        if (!IsPassiveClass(control->ClassName())) {
            return HTCLIENT;
        }
    }
    return HTCAPTION;
}

// Maximized, the window covers its monitor's work area and no more.
LRESULT WindowImplBase::MsgGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool&) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (info == nullptr || !GetMonitorInfoW(MonitorFromWindow(Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        return 0;
    }
    RECT work = monitor.rcWork;
    // The maximized position is relative to the monitor there.
    if ((monitor.dwFlags & MONITORINFOF_PRIMARY) == 0) {
        OffsetRect(&work, -work.left, -work.top);
    }
    const POINT size = {work.right - work.left, work.bottom - work.top};
    info->ptMaxPosition = POINT{work.left, work.top};
    info->ptMaxSize = size;
    info->ptMaxTrackSize = size;
    const CUiSize& minimum = paintManager_.MinInfo();
    if (minimum.cx > 0) {
        info->ptMinTrackSize.x = minimum.cx;
    }
    if (minimum.cy > 0) {
        info->ptMinTrackSize.y = minimum.cy;
    }
    return 0;
}

LRESULT WindowImplBase::MsgMouseWheel(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}

LRESULT WindowImplBase::MsgMouseHover(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}

// Never handled: the paint manager must still see the new size.
LRESULT WindowImplBase::MsgSize(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    if (!IsIconic(Handle())) {
        UpdateRegion();
    }
    return 0;
}

void WindowImplBase::UpdateRegion() {
    RECT window = {};
    GetWindowRect(Handle(), &window);
    OffsetRect(&window, -window.left, -window.top);
    const CUiSize& corner = paintManager_.RoundCorner();
    HRGN region = CreateRoundRectRgn(window.left, window.top, window.right + 1, window.bottom + 1, corner.cx,
                                     corner.cy);
    // The window owns the region once it is set.
    if (region != nullptr && SetWindowRgn(Handle(), region, TRUE) == 0) {
        DeleteObject(region);
    }
}

LRESULT WindowImplBase::MsgChar(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}

LRESULT WindowImplBase::MsgSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool&) {
    // The low four bits are the system's own.
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        SendToWindow(WM_CLOSE);
        return 0;
    }
    const bool wasMaximized = IsZoomed(Handle()) != FALSE;
    const LRESULT result = CallPreviousProc(message, wParam, lParam);
    const bool maximized = IsZoomed(Handle()) != FALSE;
    if (maximized != wasMaximized) {
        MatchSystemButtons(maximized);
    }
    return result;
}

void WindowImplBase::MatchSystemButtons(bool maximized) {
    if (CControlUI* maximize = paintManager_.ControlByName(L"maxbtn")) {
        maximize->SetVisible(!maximized);
    }
    if (CControlUI* restore = paintManager_.ControlByName(L"restorebtn")) {
        restore->SetVisible(maximized);
    }
}

LRESULT WindowImplBase::MsgCreate(UINT, WPARAM, LPARAM, bool&) {
    HWND window = Handle();
    SetWindowLongPtrW(window, GWL_STYLE, static_cast<LONG_PTR>(WindowStyle() | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    // Without the frame the window is as large as its client area was, where it was.
    RECT client = {};
    GetClientRect(window, &client);
    SetWindowPos(window, nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    paintManager_.Attach(window, ManagerName());
    paintManager_.AddPreMessageFilter(this);

    CLayoutBuilder builder;
    const CUiString type = SkinType();
    const CUiString file = SkinFile();
    CControlUI* root = nullptr;
    if (type.IsEmpty()) {
        root = builder.Build(file, nullptr, this, &paintManager_, nullptr);
    } else {
        const auto id = static_cast<WORD>(wcstoul(file, nullptr, 10));
        root = builder.Build(MAKEINTRESOURCEW(id), type, this, &paintManager_, nullptr);
    }
    if (root == nullptr) {
        // A window without its skin would be an empty frame the player cannot
        // use: its creation fails, and Create returns null.
        return -1;
    }
    // The skin may give its round corner after the size that resized the window.
    UpdateRegion();
    paintManager_.AttachRoot(root);
    paintManager_.AddNotifier(this);
    OnSkinReady();
    return 0;
}

LRESULT WindowImplBase::MsgKeyDown(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}

LRESULT WindowImplBase::MsgKeyUp(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}

LRESULT WindowImplBase::MsgKillFocus(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}

LRESULT WindowImplBase::MsgSetFocus(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}

LRESULT WindowImplBase::MsgLButtonDown(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}

LRESULT WindowImplBase::MsgLButtonUp(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}

LRESULT WindowImplBase::MsgMouseMove(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}

LRESULT WindowImplBase::MsgDpiChanged(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}

LRESULT WindowImplBase::MsgOther(UINT, WPARAM, LPARAM, bool& handled) {
    return NotHandled(handled);
}

DWORD WindowImplBase::WindowStyle() const {
    return static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE)) & ~static_cast<DWORD>(WS_CAPTION);
}

void WindowImplBase::Notify(UiNotify& notify) {
    Dispatch(notify);
}

LRESULT WindowImplBase::MessageHandler(UINT message, WPARAM wParam, LPARAM, bool&) {
    if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
        return DefaultKeyResponse(static_cast<UINT>(wParam)) ? TRUE : FALSE;
    }
    return 0;
}

CControlUI* WindowImplBase::CreateCustomControl(const wchar_t*) {
    return nullptr;
}

const wchar_t* WindowImplBase::QueryControlText(const wchar_t*, int) {
    return nullptr;
}

}  // namespace Orvel
