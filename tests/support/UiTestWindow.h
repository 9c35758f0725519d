#pragma once
#include "PaintManagerUI.h"

#include <functional>

// A real top-level window on the test display that works as a skinned
// window does: every message goes to its paint manager's
// HandleWindowMessage, then to DefWindowProcW. The manager is attached at
// construction; a tree is attached by the test (AttachRoot).
class UiTestWindow {
public:
    // Sees each message before the manager; returning true answers it with `result`.
    using Hook = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;

    UiTestWindow(int width = 200, int height = 120, DWORD style = WS_POPUP, DWORD exStyle = 0,
                 HWND parent = nullptr);
    ~UiTestWindow();
    UiTestWindow(const UiTestWindow&) = delete;
    UiTestWindow& operator=(const UiTestWindow&) = delete;

    HWND Handle() const { return window_; }
    Orvel::CPaintManagerUI& Manager() { return manager_; }
    void SetHook(Hook hook) { hook_ = std::move(hook); }

    // Shows the window without activating it and paints it once.
    void Show();
    // Invalidates the whole window and paints it at once.
    void Repaint();
    // A pixel of the manager's off-screen bitmap as stored (0xAARRGGBB); 0
    // outside it or before the first paint.
    DWORD OffscreenPixel(int x, int y) const { return OffscreenPixel(manager_, x, y); }
    // The same for any window's manager.
    static DWORD OffscreenPixel(const Orvel::CPaintManagerUI& manager, int x, int y);

    // Runs this thread's message loop, with the framework's pre-translation,
    // until `done` holds or the time is up; false on time-out.
    static bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000);
    // Dispatches what is queued now, and what that queues in turn.
    static void PumpPending();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    Orvel::CPaintManagerUI manager_;
    Hook hook_;
    HWND window_ = nullptr;  // owned
};
