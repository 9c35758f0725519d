#include "TestWindow.h"

#include <gtest/gtest.h>

#include <exception>

namespace {
const wchar_t kClassName[] = L"LauncherTestWindow";

void RegisterOnce() {
    static const ATOM atom = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClassName;
        return RegisterClassW(&windowClass);
    }();
    (void)atom;
}
}  // namespace

TestWindow::TestWindow(Handler handler) : handler_(std::move(handler)) {
    RegisterOnce();
    window_ = CreateWindowExW(0, kClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TestWindow::WindowProc));
}

TestWindow::~TestWindow() {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

// A handler's exception cannot unwind through the system's frames in the
// 32-bit build; it becomes a test failure here instead of ending the process.
LRESULT CALLBACK TestWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    try {
        if (self != nullptr && self->handler_ && self->handler_(message, wParam, lParam)) {
            return 0;
        }
    } catch (const std::exception& error) {
        ADD_FAILURE() << "test window handler threw: " << error.what();
        return 0;
    } catch (...) {
        ADD_FAILURE() << "test window handler threw";
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
