#include "WindowWnd.h"

#include "PaintManagerUI.h"

#include <initializer_list>

namespace Orvel {

namespace {

// Superclassed and subclassed windows keep their object here, since the
// user data belongs to the class whose procedure they borrow.
const wchar_t kObjectProperty[] = L"WndX";

int RoundUpTo16(int value) {
    return (value + 15) & ~15;
}

RECT WorkAreaOf(HWND window) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

// One axis of CenterOnOwner: centred on the reference, then pushed inside
// the work area from whichever side it crossed first.
int CenteredPosition(LONG refStart, LONG refEnd, LONG workStart, LONG workEnd, int size) {
    int position = (refStart + refEnd) / 2 - size / 2;
    if (position < workStart) {
        position = workStart;
    } else if (position + size > workEnd) {
        position = workEnd - size;
    }
    return position;
}

}  // namespace

CWindowWnd::~CWindowWnd() {
    Unbind();
}

HINSTANCE CWindowWnd::FrameworkInstance() {
    HINSTANCE instance = CPaintManagerUI::Instance();
    return instance != nullptr ? instance : GetModuleHandleW(nullptr);
}

const wchar_t* CWindowWnd::SuperclassName() const {
    return nullptr;
}

UINT CWindowWnd::ClassStyle() const {
    return 0;
}

LRESULT CWindowWnd::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallPreviousProc(message, wParam, lParam);
}

void CWindowWnd::FinalCleanup(HWND) {}

LRESULT CWindowWnd::CallPreviousProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(previousProc_, window_, message, wParam, lParam);
}

bool CWindowWnd::RegisterOwnClass() {
    WNDCLASSW windowClass = {};
    windowClass.style = ClassStyle();
    windowClass.lpfnWndProc = &CWindowWnd::OwnClassProc;
    windowClass.hInstance = FrameworkInstance();
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.lpszClassName = WindowClass();
    return RegisterClassW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindowWnd::RegisterSuperclass() {
    const wchar_t* superclass = SuperclassName();
    if (superclass == nullptr || *superclass == L'\0') {
        return false;
    }
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    if (!GetClassInfoExW(nullptr, superclass, &windowClass) &&
        !GetClassInfoExW(FrameworkInstance(), superclass, &windowClass)) {
        return false;
    }
    previousProc_ = windowClass.lpfnWndProc;
    windowClass.lpfnWndProc = &CWindowWnd::SuperclassProc;
    windowClass.hInstance = FrameworkInstance();
    windowClass.lpszClassName = WindowClass();
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CWindowWnd::Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y, int width,
                        int height, HMENU menu) {
    const wchar_t* superclass = SuperclassName();
    const bool registered =
        (superclass != nullptr && *superclass != L'\0') ? RegisterSuperclass() : RegisterOwnClass();
    if (!registered) {
        return nullptr;
    }
    return CreateWindowExW(exStyle, WindowClass(), title, style, x, y, width, height, parent, menu,
                           FrameworkInstance(), this);
}

HWND CWindowWnd::Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, const RECT& rect,
                        HMENU menu) {
    return Create(parent, title, style, exStyle, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, menu);
}

HWND CWindowWnd::Subclass(HWND window) {
    if (window_ != nullptr || !IsWindow(window) || GetPropW(window, kObjectProperty) != nullptr) {
        return nullptr;
    }
    Bind(window, true);
    previousProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWindowWnd::SuperclassProc)));
    subclassed_ = true;
    return window;
}

void CWindowWnd::RemoveSubclass() {
    if (!subclassed_ || !IsWindow(window_)) {
        return;
    }
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
    previousProc_ = ::DefWindowProcW;
    subclassed_ = false;
}

void CWindowWnd::Unbind() {
    if (window_ == nullptr || !IsWindow(window_)) {
        return;
    }
    RemoveSubclass();
    ForgetWindow(window_);
    window_ = nullptr;
}

void CWindowWnd::Close(UINT result) {
    if (IsWindow(window_)) {
        PostMessageW(window_, WM_CLOSE, static_cast<WPARAM>(result), 0);
    }
}

void CWindowWnd::Show(bool show, bool takeFocus) {
    if (!IsWindow(window_)) {
        return;
    }
    ShowWindow(window_, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

void CWindowWnd::CenterOnOwner() {
    if (!IsWindow(window_)) {
        return;
    }
    RECT window = {};
    GetWindowRect(window_, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    HWND owner = GetWindow(window_, GW_OWNER);
    const RECT work = WorkAreaOf(owner != nullptr ? owner : window_);
    RECT reference = work;
    if (owner != nullptr) {
        GetWindowRect(owner, &reference);
    }
    const int x = CenteredPosition(reference.left, reference.right, work.left, work.right, width);
    const int y = CenteredPosition(reference.top, reference.bottom, work.top, work.bottom, height);
    SetWindowPos(window_, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetIconResource(UINT id) {
    HINSTANCE module = CPaintManagerUI::ResourceInstance();
    if (module == nullptr) {
        module = GetModuleHandleW(nullptr);
    }
    const int cx = RoundUpTo16(GetSystemMetrics(SM_CXICON));
    const int cy = RoundUpTo16(GetSystemMetrics(SM_CYICON));
    for (WPARAM which : {static_cast<WPARAM>(ICON_BIG), static_cast<WPARAM>(ICON_SMALL)}) {
        HANDLE icon = LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR);
        SendToWindow(WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
    }
}

LRESULT CWindowWnd::SendToWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageW(window_, message, wParam, lParam);
}

bool CWindowWnd::PostToWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    return PostMessageW(window_, message, wParam, lParam) != FALSE;
}

CWindowWnd* CWindowWnd::BoundObject(HWND window, bool byProperty) {
    if (byProperty) {
        return static_cast<CWindowWnd*>(GetPropW(window, kObjectProperty));
    }
    return reinterpret_cast<CWindowWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void CWindowWnd::Bind(HWND window, bool byProperty) {
    window_ = window;
    boundByProperty_ = byProperty;
    if (byProperty) {
        SetPropW(window, kObjectProperty, this);
    } else {
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
}

void CWindowWnd::ForgetWindow(HWND window) {
    if (boundByProperty_) {
        RemovePropW(window, kObjectProperty);
    } else {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
}

LRESULT CWindowWnd::EndWindow(HWND window, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallWindowProcW(previousProc_, window, WM_NCDESTROY, wParam, lParam);
    ForgetWindow(window);
    RemoveSubclass();
    window_ = nullptr;
    FinalCleanup(window);
    return result;
}

// Nothing may unwind into the system's frames (the 32-bit build cannot), and
// the framework reports nothing: an exception from a handler is dropped here.
LRESULT CWindowWnd::Route(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool byProperty) {
    try {
        CWindowWnd* self = nullptr;
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            self = create != nullptr ? static_cast<CWindowWnd*>(create->lpCreateParams) : nullptr;
            if (self != nullptr) {
                self->Bind(window, byProperty);
            }
        } else {
            self = BoundObject(window, byProperty);
            if (self != nullptr && message == WM_NCDESTROY) {
                return self->EndWindow(window, wParam, lParam);
            }
        }
        if (self != nullptr) {
            return self->ProcessMessage(message, wParam, lParam);
        }
        return DefWindowProcW(window, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

LRESULT CALLBACK CWindowWnd::OwnClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return Route(window, message, wParam, lParam, false);
}

LRESULT CALLBACK CWindowWnd::SuperclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return Route(window, message, wParam, lParam, true);
}

}  // namespace Orvel
