#pragma once
#include "Platform.h"

#include <functional>

// A hidden window standing in for the launcher's main window. Every message
// reaches `handler` first; when it returns true the message counts as
// handled and the window answers 0.
class TestWindow {
public:
    using Handler = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam)>;

    explicit TestWindow(Handler handler);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND Handle() const { return window_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    Handler handler_;
    HWND window_;  // owned
};
