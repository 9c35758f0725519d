#include "UiTestWindow.h"

#include <gtest/gtest.h>

namespace {

const wchar_t kClassName[] = L"LauncherUiTestWindow";

void RegisterOnce() {
    static const ATOM atom = [] {
        WNDCLASSW windowClass = {};
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        windowClass.lpszClassName = kClassName;
        return RegisterClassW(&windowClass);
    }();
    (void)atom;
}

}  // namespace

UiTestWindow::UiTestWindow(int width, int height, DWORD style, DWORD exStyle, HWND parent) {
    RegisterOnce();
    window_ = CreateWindowExW(exStyle, kClassName, L"", style, 40, 40, width, height, parent, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    // Installed after creation, as a framework window binds its object: the
    // creation messages go to DefWindowProcW.
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&UiTestWindow::WindowProc));
    manager_.Attach(window_, L"test");
}

UiTestWindow::~UiTestWindow() {
    if (IsWindow(window_)) {
        DestroyWindow(window_);
    }
}

void UiTestWindow::Show() {
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    UpdateWindow(window_);
}

void UiTestWindow::Repaint() {
    manager_.InvalidateAll();
    UpdateWindow(window_);
}

DWORD UiTestWindow::OffscreenPixel(const Orvel::CPaintManagerUI& manager, int x, int y) {
    HBITMAP bitmap = manager.OffscreenBitmap();
    DIBSECTION section = {};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof(section), &section) != sizeof(section)) {
        return 0;
    }
    const int width = section.dsBm.bmWidth;
    const int height = section.dsBm.bmHeight;
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return 0;
    }
    GdiFlush();
    // The off-screen bitmap is bottom-up.
    return static_cast<const DWORD*>(section.dsBm.bmBits)[static_cast<size_t>(height - 1 - y) * width + x];
}

bool UiTestWindow::PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpPending();
        if (done()) {
            return true;
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    }
}

void UiTestWindow::PumpPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (Orvel::CPaintManagerUI::PreTranslate(&message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Nothing may unwind through the system's frames in the 32-bit build: a
// throwing hook or manager becomes a test failure here.
LRESULT CALLBACK UiTestWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<UiTestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    try {
        LRESULT result = 0;
        if (self != nullptr) {
            if (message == WM_NCDESTROY) {
                SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            }
            if (self->hook_ && self->hook_(message, wParam, lParam, result)) {
                return result;
            }
            if (self->manager_.HandleWindowMessage(message, wParam, lParam, result)) {
                return result;
            }
        }
    } catch (...) {
        ADD_FAILURE() << "a UI test window's message " << message << " threw";
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
