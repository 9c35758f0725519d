// The window base's binding of objects to real windows: own classes,
// superclasses and subclasses, the end of a window, exceptions at the
// window procedure, showing without activation, centring and icons.
#include "UiTestWindow.h"
#include "WindowWnd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <stdexcept>
#include <vector>

using namespace Orvel;

namespace {

// Logs what reaches it, and throws for WM_USER + 13.
class LoggingWindow : public CWindowWnd {
public:
    static constexpr UINT kThrowMessage = WM_USER + 13;

    explicit LoggingWindow(const wchar_t* superclass = nullptr, const wchar_t* windowClass = L"OrvelTestWindow")
        : superclass_(superclass), class_(windowClass) {}
    ~LoggingWindow() {
        if (IsWindow(Handle())) {
            DestroyWindow(Handle());
        }
    }

    const wchar_t* WindowClass() const override { return class_; }
    const wchar_t* SuperclassName() const override { return superclass_; }
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(message);
        handles.push_back(Handle());
        if (message == kThrowMessage) {
            throw std::runtime_error("a handler failed");
        }
        if (message == WM_CLOSE) {
            closeResults.push_back(wParam);
        }
        return CWindowWnd::ProcessMessage(message, wParam, lParam);
    }
    void FinalCleanup(HWND window) override {
        cleanedUp = window;
        handleAtCleanup = Handle();
    }

    std::vector<UINT> messages;
    std::vector<HWND> handles;
    std::vector<WPARAM> closeResults;
    HWND cleanedUp = nullptr;
    HWND handleAtCleanup = reinterpret_cast<HWND>(1);

private:
    const wchar_t* superclass_;
    const wchar_t* class_;
};

bool Seen(const LoggingWindow& window, UINT message) {
    for (UINT seen : window.messages) {
        if (seen == message) return true;
    }
    return false;
}

HWND CreatePopup(LoggingWindow& window, HWND owner = nullptr, int width = 200, int height = 100) {
    return window.Create(owner, L"窗口", WS_POPUP, 0, 10, 10, width, height);
}

TEST(WindowWndTest, AnOwnClassWindowIsBoundFromCreationToItsEnd) {
    LoggingWindow window;
    // An overlapped window gets WM_GETMINMAXINFO before WM_NCCREATE.
    HWND handle = window.Create(nullptr, L"窗口", WS_OVERLAPPEDWINDOW, 0, 10, 10, 200, 100);
    ASSERT_NE(nullptr, handle);
    EXPECT_EQ(handle, window.Handle());
    ASSERT_FALSE(window.messages.empty());
    EXPECT_EQ(static_cast<UINT>(WM_NCCREATE), window.messages.front()) << "nothing before the object is bound";
    EXPECT_EQ(handle, window.handles.front());
    EXPECT_TRUE(Seen(window, WM_CREATE));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&window), GetWindowLongPtrW(handle, GWLP_USERDATA));
    EXPECT_EQ(nullptr, GetPropW(handle, L"WndX"));
    WNDCLASSW info = {};
    ASSERT_TRUE(GetClassInfoW(GetModuleHandleW(nullptr), L"OrvelTestWindow", &info));
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)), info.hCursor);
    EXPECT_EQ(nullptr, info.hbrBackground);

    // A second window of the same class registers nothing new and works alike.
    LoggingWindow second;
    ASSERT_NE(nullptr, CreatePopup(second));

    EXPECT_TRUE(window.SendToWindow(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"新标题")));
    wchar_t title[16] = {};
    GetWindowTextW(handle, title, 16);
    EXPECT_STREQ(L"新标题", title) << "unhandled messages reach DefWindowProcW";

    DestroyWindow(handle);
    EXPECT_EQ(handle, window.cleanedUp);
    EXPECT_EQ(nullptr, window.handleAtCleanup);
    EXPECT_EQ(nullptr, window.Handle());
    EXPECT_FALSE(Seen(window, WM_NCDESTROY)) << "the end of the window goes to FinalCleanup, not ProcessMessage";
}

TEST(WindowWndTest, ASuperclassPassesOnToTheClassItBorrows) {
    LoggingWindow window(L"STATIC", L"OrvelTestStatic");
    HWND handle = window.Create(nullptr, L"静态文本", WS_POPUP, 0, 10, 10, 200, 100);
    ASSERT_NE(nullptr, handle);
    EXPECT_EQ(&window, GetPropW(handle, L"WndX"));
    EXPECT_EQ(0, GetWindowLongPtrW(handle, GWLP_USERDATA));
    // STATIC answers WM_NCHITTEST with HTTRANSPARENT; DefWindowProcW would say HTCLIENT.
    RECT rect = {};
    GetWindowRect(handle, &rect);
    EXPECT_EQ(HTTRANSPARENT, window.SendToWindow(WM_NCHITTEST, 0, MAKELPARAM(rect.left + 5, rect.top + 5)));

    DestroyWindow(handle);
    EXPECT_EQ(handle, window.cleanedUp);
    EXPECT_EQ(nullptr, window.Handle());

    LoggingWindow missing(L"OrvelNoSuchClass", L"OrvelTestMissing");
    EXPECT_EQ(nullptr, CreatePopup(missing));
    EXPECT_TRUE(missing.messages.empty());
}

TEST(WindowWndTest, ASubclassedWindowGetsItsProcedureBack) {
    UiTestWindow plain;
    const LONG_PTR original = GetWindowLongPtrW(plain.Handle(), GWLP_WNDPROC);
    LoggingWindow window;
    ASSERT_EQ(plain.Handle(), window.Subclass(plain.Handle()));
    EXPECT_EQ(nullptr, window.Subclass(plain.Handle())) << "one window per object";
    window.SendToWindow(WM_USER + 1);
    EXPECT_TRUE(Seen(window, WM_USER + 1));

    window.RemoveSubclass();
    EXPECT_EQ(original, GetWindowLongPtrW(plain.Handle(), GWLP_WNDPROC));
    window.messages.clear();
    window.SendToWindow(WM_USER + 2);
    EXPECT_TRUE(window.messages.empty());
}

TEST(WindowWndTest, AnExceptionFromAHandlerStaysInsideTheWindowProcedure) {
    LoggingWindow window;
    ASSERT_NE(nullptr, CreatePopup(window));
    EXPECT_EQ(0, window.SendToWindow(LoggingWindow::kThrowMessage, 1, 2));
    ASSERT_TRUE(window.PostToWindow(LoggingWindow::kThrowMessage));
    UiTestWindow::PumpPending();
    EXPECT_EQ(2, std::count(window.messages.begin(), window.messages.end(), LoggingWindow::kThrowMessage));
    EXPECT_TRUE(IsWindow(window.Handle()));
}

TEST(WindowWndTest, CloseAndShowDoNothingWithoutAWindow) {
    LoggingWindow window;
    window.Close(1);
    window.Show(true, true);
    window.CenterOnOwner();
    window.RemoveSubclass();
    EXPECT_TRUE(window.messages.empty());

    ASSERT_NE(nullptr, CreatePopup(window));
    window.Close(7);
    EXPECT_TRUE(window.closeResults.empty()) << "posted, not sent";
    UiTestWindow::PumpUntil([&] { return !window.closeResults.empty(); });
    EXPECT_EQ((std::vector<WPARAM>{7}), window.closeResults);
}

// A window that holds the activation keeps it while another is shown
// without focus. (Each activated window costs about 2 s at its end under
// Xvfb, so only one is.)
TEST(WindowWndTest, ShowingWithoutFocusActivatesNothing) {
    LoggingWindow front;
    ASSERT_NE(nullptr, CreatePopup(front));
    front.Show(true, true);
    SetForegroundWindow(front.Handle());
    UiTestWindow::PumpPending();
    ASSERT_EQ(front.Handle(), GetActiveWindow());

    LoggingWindow quiet;
    ASSERT_NE(nullptr, CreatePopup(quiet));
    quiet.messages.clear();
    quiet.Show(true, false);
    UiTestWindow::PumpPending();
    EXPECT_TRUE(IsWindowVisible(quiet.Handle()));
    EXPECT_EQ(front.Handle(), GetActiveWindow());
    EXPECT_EQ(front.Handle(), GetForegroundWindow());
    EXPECT_FALSE(Seen(quiet, WM_ACTIVATE));

    quiet.Show(false, false);
    EXPECT_FALSE(IsWindowVisible(quiet.Handle()));
}

RECT WorkArea(HWND window) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

TEST(WindowWndTest, CenteringStaysWithinTheWorkArea) {
    LoggingWindow owner;
    ASSERT_NE(nullptr, CreatePopup(owner, nullptr, 400, 300));
    const RECT work = WorkArea(owner.Handle());
    const int workWidth = work.right - work.left;
    struct Case {
        const char* what;
        bool owned;
        POINT ownerAt;
        SIZE size;
        POINT expected;
    };
    const Case cases[] = {
        {"no owner: the work area's centre", false, {0, 0}, {201, 101},
         {(work.left + work.right) / 2 - 100, (work.top + work.bottom) / 2 - 50}},
        {"the owner's centre", true, {300, 200}, {200, 100}, {300 + 100, 200 + 100}},
        {"owner at the top left: pushed in", true, {work.left - 150, work.top - 150}, {600, 500},
         {work.left, work.top}},
        {"owner at the bottom right: pushed in", true, {work.right - 100, work.bottom - 100}, {600, 500},
         {work.right - 600, work.bottom - 500}},
        {"wider than the work area: the left edge wins", false, {0, 0}, {workWidth + 40, 100},
         {work.left, (work.top + work.bottom) / 2 - 50}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        SetWindowPos(owner.Handle(), nullptr, test.ownerAt.x, test.ownerAt.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        LoggingWindow window;
        ASSERT_NE(nullptr, CreatePopup(window, test.owned ? owner.Handle() : nullptr, test.size.cx, test.size.cy));
        window.CenterOnOwner();
        RECT rect = {};
        GetWindowRect(window.Handle(), &rect);
        EXPECT_EQ(test.expected.x, rect.left);
        EXPECT_EQ(test.expected.y, rect.top);
        EXPECT_EQ(test.size.cx, rect.right - rect.left) << "the size stays";
    }
}

TEST(WindowWndTest, TheIconResourceBecomesTheBigAndTheSmallIcon) {
    LoggingWindow window;
    ASSERT_NE(nullptr, CreatePopup(window));
    window.SetIconResource(112);
    const int expected = (GetSystemMetrics(SM_CXICON) + 15) / 16 * 16;
    for (WPARAM which : {static_cast<WPARAM>(ICON_BIG), static_cast<WPARAM>(ICON_SMALL)}) {
        auto icon = reinterpret_cast<HICON>(window.SendToWindow(WM_GETICON, which));
        ASSERT_NE(nullptr, icon) << which;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap = {};
        GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
        EXPECT_EQ(expected, bitmap.bmWidth) << which;
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
}

}  // namespace
