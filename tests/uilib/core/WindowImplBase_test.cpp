// The skinned window base on real windows: the skin built at creation (and
// the window failed without one), hit testing of the caption and the resize
// borders, the system buttons, maximizing, the window region and the
// pre-message filter.
#include "ControlUI.h"
#include "TestEnv.h"
#include "UiTestWindow.h"
#include "WindowImplBase.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

using namespace Orvel;

namespace {

// The skin of resource 201, type "xml" (WindowImplBase_test.rc), unless
// given as a file name or markup text.
class SkinWindow : public WindowImplBase {
public:
    explicit SkinWindow(const wchar_t* file = L"201", const wchar_t* type = L"xml") : file_(file), type_(type) {}

    const wchar_t* WindowClass() const override { return L"OrvelTestSkinWindow"; }
    CUiString SkinFile() const override { return file_; }
    CUiString SkinType() const override { return type_; }
    void OnSkinReady() override { rootAtSkinReady = paintManager_.Root(); }
    bool DefaultKeyResponse(UINT key) override {
        keys.push_back(key);
        return WindowImplBase::DefaultKeyResponse(key);
    }
    LRESULT MsgClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        closeResults.push_back(wParam);
        return WindowImplBase::MsgClose(message, wParam, lParam, handled);
    }

    CControlUI* rootAtSkinReady = nullptr;
    std::vector<UINT> keys;
    std::vector<WPARAM> closeResults;

private:
    CUiString file_;
    CUiString type_;
};

std::vector<LONG> Edges(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

RECT WorkArea(HWND window) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcWork;
}

class WindowImplBaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
        // Away from the window, so that no real mouse input mixes with the test's.
        SetCursorPos(1200, 1000);
        Open(WS_POPUP);
    }

    // A window Wine hands to a window manager (one with a caption, or one
    // that was activated, as a click does) takes about 2 s to go under Xvfb,
    // so the tests keep to plain popups where they can; the skin has no tab
    // stop for the first paint to focus. The first paint lays out the tree.
    void Open(DWORD style) {
        window = std::make_unique<SkinWindow>();
        ASSERT_NE(nullptr, window->Create(nullptr, L"皮肤窗口", style, 0, 30, 40, 100, 100));
        window->Show(true, false);
        UpdateWindow(window->Handle());
    }

    HWND Handle() { return window->Handle(); }
    CPaintManagerUI& manager() { return window->PaintManager(); }
    LRESULT HitTest(int x, int y) {
        POINT point = {x, y};
        ClientToScreen(Handle(), &point);
        return window->SendToWindow(WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
    }
    // A press and release in the middle of a control, as the mouse gives them.
    void Click(const wchar_t* name) {
        UpdateWindow(Handle());
        CControlUI* control = manager().ControlByName(name);
        ASSERT_NE(nullptr, control) << name;
        const CUiRect& rect = control->ItemRect();
        const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        window->SendToWindow(WM_LBUTTONDOWN, MK_LBUTTON, at);
        window->SendToWindow(WM_LBUTTONUP, 0, at);
    }
    bool Visible(const wchar_t* name) { return manager().ControlByName(name)->IsVisible(); }

    std::unique_ptr<SkinWindow> window;
};

TEST_F(WindowImplBaseTest, CreationBuildsTheSkinAndDropsTheFrame) {
    // The launcher's own style.
    Open(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    ASSERT_NE(nullptr, manager().Root());
    EXPECT_EQ(manager().Root(), window->rootAtSkinReady);
    EXPECT_EQ(Handle(), manager().WindowHandle());
    EXPECT_NE(nullptr, manager().ControlByName(L"closebtn"));
    const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    EXPECT_EQ(0, style & WS_CAPTION);
    EXPECT_EQ(WS_CLIPSIBLINGS | WS_CLIPCHILDREN, style & (WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    RECT rect = {};
    GetWindowRect(Handle(), &rect);
    EXPECT_EQ(Edges({30, 40, 350, 240}), Edges(rect)) << "the skin's size, where the window was created";
    GetClientRect(Handle(), &rect);
    EXPECT_EQ(320, rect.right) << "no frame left";
    WNDCLASSW info = {};
    ASSERT_TRUE(GetClassInfoW(GetModuleHandleW(nullptr), L"OrvelTestSkinWindow", &info));
    EXPECT_EQ(static_cast<UINT>(CS_DBLCLKS), info.style);
}

TEST_F(WindowImplBaseTest, HitTestsFindTheBordersTheCaptionAndWhatLiesInIt) {
    struct Case {
        POINT at;
        LRESULT expected;
    };
    const Case restored[] = {
        {{2, 2}, HTTOPLEFT},       {{100, 2}, HTTOP},       {{317, 2}, HTTOPRIGHT},
        {{2, 100}, HTLEFT},        {{317, 100}, HTRIGHT},   {{2, 197}, HTBOTTOMLEFT},
        {{100, 197}, HTBOTTOM},    {{317, 197}, HTBOTTOMRIGHT},
        {{4, 4}, HTCAPTION},       // inside the borders, over the label
        {{100, 30}, HTCAPTION},    // the label
        {{200, 30}, HTCAPTION},    // the spacer
        {{305, 30}, HTCLIENT},     // the close button
        {{100, 49}, HTCAPTION},    {{100, 50}, HTCLIENT},   {{100, 60}, HTCLIENT},
    };
    for (const Case& test : restored) {
        EXPECT_EQ(test.expected, HitTest(test.at.x, test.at.y)) << test.at.x << "," << test.at.y;
    }

    // A caption down to the bottom takes everything but the buttons; insets
    // leave the sides to the client.
    manager().SetCaptionRect({10, 0, 0, -1});
    const Case wholeWindow[] = {
        {{100, 100}, HTCAPTION},  // the body label
        {{250, 65}, HTCLIENT},    // a label in the list
        {{305, 30}, HTCLIENT},
        {{6, 100}, HTCLIENT},
    };
    for (const Case& test : wholeWindow) {
        EXPECT_EQ(test.expected, HitTest(test.at.x, test.at.y)) << test.at.x << "," << test.at.y;
    }
    manager().SetCaptionRect({0, 0, 0, 50});

    // Maximized through the button: the buttons swap, no resize borders, the caption stays.
    EXPECT_TRUE(Visible(L"maxbtn"));
    EXPECT_FALSE(Visible(L"restorebtn"));
    Click(L"maxbtn");
    ASSERT_TRUE(IsZoomed(Handle()));
    EXPECT_FALSE(Visible(L"maxbtn"));
    EXPECT_TRUE(Visible(L"restorebtn"));
    RECT rect = {};
    GetWindowRect(Handle(), &rect);
    EXPECT_EQ(Edges(WorkArea(Handle())), Edges(rect));
    UpdateWindow(Handle());
    EXPECT_EQ(HTCAPTION, HitTest(2, 2));
    EXPECT_EQ(HTCAPTION, HitTest(100, 30));
    EXPECT_EQ(HTCLIENT, HitTest(100, 60));

    Click(L"restorebtn");
    EXPECT_FALSE(IsZoomed(Handle()));
    EXPECT_TRUE(Visible(L"maxbtn"));
    EXPECT_FALSE(Visible(L"restorebtn"));
    GetWindowRect(Handle(), &rect);
    EXPECT_EQ(Edges({30, 40, 350, 240}), Edges(rect));
    EXPECT_EQ(HTTOPLEFT, HitTest(2, 2));
}

TEST_F(WindowImplBaseTest, MaximizedTheWindowFillsTheWorkAreaOfItsMonitor) {
    MINMAXINFO info = {};
    window->SendToWindow(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    const RECT work = WorkArea(Handle());
    EXPECT_EQ(work.right - work.left, info.ptMaxSize.x);
    EXPECT_EQ(work.bottom - work.top, info.ptMaxTrackSize.y);
    EXPECT_EQ(work.left, info.ptMaxPosition.x);
    EXPECT_EQ(160, info.ptMinTrackSize.x);
    EXPECT_EQ(100, info.ptMinTrackSize.y);
}

TEST_F(WindowImplBaseTest, TheCloseButtonAndTheSystemCloseEndTheWindow) {
    struct Case {
        const char* what;
        std::function<void(SkinWindow&)> close;
        WPARAM result;
    };
    const Case cases[] = {
        {"close button", [this](SkinWindow&) { Click(L"closebtn"); }, 1},
        {"system close", [](SkinWindow& w) { w.SendToWindow(WM_SYSCOMMAND, SC_CLOSE); }, 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        if (window->Handle() == nullptr) {
            Open(WS_POPUP);
        }
        SkinWindow& current = *window;
        test.close(current);
        EXPECT_TRUE(UiTestWindow::PumpUntil([&] { return current.Handle() == nullptr; }));
        EXPECT_EQ((std::vector<WPARAM>{test.result}), current.closeResults);
        // The window is gone from its paint manager's lists.
        EXPECT_FALSE(current.PaintManager().RemoveNotifier(&current));
        EXPECT_FALSE(current.PaintManager().RemovePreMessageFilter(&current));
    }
}

TEST_F(WindowImplBaseTest, TheMinimizeButtonMinimizes) {
    // No frame to draw: activation answers by itself, except when minimized.
    EXPECT_EQ(0, window->SendToWindow(WM_NCACTIVATE, TRUE));
    EXPECT_EQ(1, window->SendToWindow(WM_NCACTIVATE, FALSE));
    // Its click as the button sends it, without the activation a real press brings.
    manager().SendNotify(manager().ControlByName(L"minbtn"), L"click");
    EXPECT_TRUE(IsIconic(Handle()));
    EXPECT_EQ(TRUE, window->SendToWindow(WM_NCACTIVATE, TRUE)) << "DefWindowProcW's answer";
}

TEST_F(WindowImplBaseTest, TheRegionRoundsTheCornersEvenWhenTheSkinSetsThemAfterTheSize) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, GetWindowRgn(Handle(), region));
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_FALSE(PtInRegion(region, 319, 199));
    EXPECT_TRUE(PtInRegion(region, 10, 10));
    EXPECT_TRUE(PtInRegion(region, 319, 100));
    // A plain rectangle without a round corner, after the next resize.
    manager().SetRoundCorner(0, 0);
    SetWindowPos(Handle(), nullptr, 0, 0, 300, 180, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_NE(ERROR, GetWindowRgn(Handle(), region));
    EXPECT_TRUE(PtInRegion(region, 0, 0));
    EXPECT_TRUE(PtInRegion(region, 299, 179));
    DeleteObject(region);
}

TEST_F(WindowImplBaseTest, ReturnAndEscapeReachTheDefaultKeyResponse) {
    for (WPARAM key : {static_cast<WPARAM>(VK_ESCAPE), static_cast<WPARAM>('A'), static_cast<WPARAM>(VK_RETURN)}) {
        PostMessageW(Handle(), WM_KEYDOWN, key, 0);
    }
    UiTestWindow::PumpPending();
    EXPECT_EQ((std::vector<UINT>{VK_ESCAPE, VK_RETURN}), window->keys);
}

TEST_F(WindowImplBaseTest, DeletingTheObjectEndsItsWindow) {
    HWND handle = Handle();
    window.reset();
    EXPECT_FALSE(IsWindow(handle));
}

// Creates a window from WINDOW_SKIN when started by the test below: the
// creation fails, and the process goes on.
TEST(WindowImplBaseChild, CreateWithoutARoot) {
    const std::wstring skin = testenv::Var(L"WINDOW_SKIN");
    if (skin.empty()) GTEST_SKIP() << "runs only as the child of the test below";
    SkinWindow window(skin.c_str(), L"");
    EXPECT_EQ(nullptr, window.Create(nullptr, L"无皮肤", WS_POPUP, 0, 0, 0, 100, 100));
    EXPECT_EQ(nullptr, window.Handle());
}

// A skin is input: one that yields no root fails its window, not the process.
TEST(WindowImplBaseProcess, ASkinWithoutARootFailsTheWindowOnly) {
    wchar_t self[MAX_PATH] = {};
    ASSERT_NE(0u, GetModuleFileNameW(nullptr, self, MAX_PATH));
    for (const wchar_t* skin : {L"<Window size=\"100,100\"></Window>", L"no_such_skin.xml",
                                L"<Window><Include source=\"no_such_skin.xml\"/></Window>"}) {
        SCOPED_TRACE(skin);
        SetEnvironmentVariableW(L"WINDOW_SKIN", skin);
        std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --gtest_filter=WindowImplBaseChild.*";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        const BOOL started = CreateProcessW(self, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                            testenv::TempDir().c_str(), &startup, &process);
        SetEnvironmentVariableW(L"WINDOW_SKIN", nullptr);
        ASSERT_TRUE(started);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 60000));
        DWORD code = 1;
        GetExitCodeProcess(process.hProcess, &code);
        EXPECT_EQ(0u, code) << "the child's test passed";
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

}  // namespace
