#include "MainWindow.h"

#include "ControlUI.h"
#include "LabelUI.h"
#include "PaintManagerUI.h"
#include "ProgressUI.h"
#include "TestCanvas.h"
#include "TestEnv.h"
#include "UiTestWindow.h"
#include "UiEvent.h"
#include "WindowMessages.h"

#include <gtest/gtest.h>

#include <string>

// The main window as the entry creates it, with the launcher's own skin and
// images (this binary links the launcher's resources), driven by the
// manager's messages. A close that gets through would end this process, so
// only the guarded ways are taken here; the end-to-end tests close it.

namespace {

const DWORD kEntryStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Orvel::CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
        window.Create(nullptr, L"Korva游戏下载器", kEntryStyle, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, nullptr);
        ASSERT_NE(nullptr, window.Handle());
    }
    void TearDown() override {
        if (window.Handle() != nullptr) {
            DestroyWindow(window.Handle());
        }
    }

    Orvel::CControlUI* Control(const wchar_t* name) { return window.PaintManager().ControlByName(name); }
    std::wstring Text(const wchar_t* name) { return Control(name)->Text().Data(); }
    int ProgressValue() { return static_cast<Orvel::CProgressUI*>(Control(L"progress")->CastTo(L"Progress"))->Value(); }
    // Closing allowed or not, as the window's state and its close button both say.
    void ExpectClosable(bool closable) {
        EXPECT_EQ(closable, window.IsClosable());
        EXPECT_EQ(closable, Control(L"btn_wnd_close")->IsEnabled());
    }
    LRESULT Send(UINT message, WPARAM wParam = 0) { return SendMessageW(window.Handle(), message, wParam, 0); }
    LRESULT SendText(UINT message, const wchar_t* text) { return Send(message, reinterpret_cast<WPARAM>(text)); }
    void Click(const wchar_t* name) { window.PaintManager().SendNotify(Control(name), L"click"); }
    // Takes a WM_CLOSE out of the queue before anything can dispatch it; its wParam, or -1 for none.
    INT_PTR TakeQueuedClose() {
        MSG msg;
        return PeekMessageW(&msg, window.Handle(), WM_CLOSE, WM_CLOSE, PM_REMOVE) ? static_cast<INT_PTR>(msg.wParam)
                                                                                   : -1;
    }
    void Redraw() { RedrawWindow(window.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
    void ShowAndLayOut() {
        Send(WM_SHOWWINDOW);
        Redraw();
    }

    CMainWindow window;
};

TEST_F(MainWindowTest, IsCreatedHiddenFromTheSkinWithoutACaption) {
    wchar_t className[64] = {};
    GetClassNameW(window.Handle(), className, 64);
    EXPECT_STREQ(L"DemoClass", className);
    const LONG_PTR style = GetWindowLongPtrW(window.Handle(), GWL_STYLE);
    EXPECT_EQ(0, style & WS_CAPTION);
    EXPECT_EQ(WS_CLIPSIBLINGS | WS_CLIPCHILDREN, style & (WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    EXPECT_FALSE(IsWindowVisible(window.Handle()));
    RECT rect = {};
    GetWindowRect(window.Handle(), &rect);
    EXPECT_EQ(720, rect.right - rect.left);
    EXPECT_EQ(496, rect.bottom - rect.top);
    EXPECT_NE(0, Send(WM_GETICON, ICON_BIG));
    EXPECT_EQ(L"正在下载:", Text(L"current_progress_text"));
    EXPECT_EQ(L"0M", Text(L"current_size"));
    EXPECT_TRUE(window.IsClosable());
}

TEST_F(MainWindowTest, ProgressStopsAt99UntilTheUnpackingIsDone) {
    struct Step {
        unsigned percent;
        int value;
        const wchar_t* stage;
        const wchar_t* shown;
        bool closable;
    };
    const Step steps[] = {
        {0, 0, L"下载进度:", L"0%", true},
        {50, 50, L"下载进度:", L"50%", true},
        {99, 99, L"下载进度:", L"99%", true},
        {100, 99, L"正在解压:", L"99%", false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.percent);
        Send(WM_GAME_PROGRESS, step.percent);
        EXPECT_EQ(step.value, ProgressValue());
        EXPECT_EQ(step.stage, Text(L"current_progress_text"));
        EXPECT_EQ(step.shown, Text(L"current_progress_value"));
        ExpectClosable(step.closable);
    }
    Send(WM_GAME_UNZIP_DONE);
    EXPECT_EQ(100, ProgressValue());
    EXPECT_EQ(L"100%", Text(L"current_progress_value"));
    EXPECT_EQ(L"正在解压:", Text(L"current_progress_text"));
    ExpectClosable(true);
}

// An update unpacks nothing: its label holds to the end and closing stays
// allowed, since the installed version is whole until the switch.
TEST_F(MainWindowTest, AnUpdateKeepsItsLabelAndMayBeClosedAtAnyPercent) {
    Send(WM_GAME_UPDATING);
    EXPECT_EQ(L"正在更新:", Text(L"current_progress_text"));
    for (unsigned percent : {0u, 60u, 100u}) {
        SCOPED_TRACE(percent);
        Send(WM_GAME_PROGRESS, percent);
        EXPECT_EQ(L"正在更新:", Text(L"current_progress_text"));
        EXPECT_EQ(percent < 99 ? static_cast<int>(percent) : 99, ProgressValue());
        ExpectClosable(true);
    }
    Send(WM_GAME_UNZIP_DONE);
    EXPECT_EQ(L"100%", Text(L"current_progress_value"));
    SendText(WM_GAME_INSTALL_FAILED, L"游戏更新失败");
    EXPECT_EQ(L"游戏更新失败", Text(L"current_progress_text"));
}

TEST_F(MainWindowTest, TextsShowTheirFallbackForAnEmptyText) {
    struct Case {
        UINT message;
        const wchar_t* control;
        const wchar_t* fallback;
    };
    const Case cases[] = {
        {WM_GAME_SPEED, L"current_speed", L"0KB/s"},
        {WM_GAME_CURRENT_SIZE, L"current_size", L"0MB"},
        {WM_GAME_TOTAL_SIZE, L"total_size", L"0MB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        SendText(c.message, L"1.5MB");
        EXPECT_EQ(L"1.5MB", Text(c.control));
        SendText(c.message, L"");
        EXPECT_EQ(c.fallback, Text(c.control));
    }
}

TEST_F(MainWindowTest, BackgroundNamesOnlyAFileThatExistsAndFits) {
    const std::wstring dir = testenv::MakeTempSubdir(L"background");
    const std::wstring picture = dir + L"\\背景.png";
    const std::wstring quoted = dir + L"\\it's.png";
    // 238 units and more no longer fit the image text beside its keys.
    const std::wstring longName = dir + L"\\" + std::wstring(237 - dir.size(), L'b');
    for (const std::wstring& file : {picture, quoted, longName}) {
        ASSERT_TRUE(testenv::WriteFileBytes(file, "png")) << file.size();
    }
    Orvel::CControlUI* layout = Control(L"background_layout");
    const std::wstring skinDefault = layout->BackImage().Data();
    SendText(WM_GAME_BACKGROUND, L"");
    EXPECT_EQ(skinDefault, layout->BackImage().Data());

    struct Case {
        std::wstring path;
        std::wstring image;
    };
    const Case cases[] = {
        {picture, L"file='" + picture + L"' fade='255'"},
        {dir + L"\\missing.png", L"file='' fade='255'"},
        {quoted, L"file='' fade='255'"},
        {longName, L"file='' fade='255'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        SendText(WM_GAME_BACKGROUND, c.path.c_str());
        EXPECT_EQ(c.image, layout->BackImage().Data());
    }
}

TEST_F(MainWindowTest, ClosingIsRefusedWhileUnpacking) {
    Send(WM_GAME_PROGRESS, 100);
    EXPECT_EQ(0, Send(WM_SYSCOMMAND, SC_CLOSE));
    Click(L"btn_wnd_close");
    EXPECT_EQ(-1, TakeQueuedClose());
    EXPECT_TRUE(IsWindow(window.Handle()));

    Send(WM_GAME_UNZIP_DONE);
    Click(L"btn_wnd_close");
    EXPECT_EQ(1, TakeQueuedClose());
}

TEST_F(MainWindowTest, FailedInstallAllowsClosingAndShowsTheReasonInFull) {
    ShowAndLayOut();
    Send(WM_GAME_PROGRESS, 100);
    const wchar_t reason[] = L"游戏安装失败，请重新打开启动器";
    SendText(WM_GAME_INSTALL_FAILED, reason);
    ExpectClosable(true);
    EXPECT_EQ(reason, Text(L"current_progress_text"));
    EXPECT_EQ(L"99%", Text(L"current_progress_value"));
    EXPECT_EQ(99, ProgressValue());
    Redraw();
    // Fifteen characters of the 16-pixel font need more than the skin's 140 pixels.
    EXPECT_GE(Control(L"current_progress_text")->Width(), 15 * 16);
    Click(L"btn_wnd_close");
    EXPECT_EQ(1, TakeQueuedClose());
}

// Moved to a monitor of another scale, the window takes the rectangle the
// system suggests and draws at the new scale: fonts, images, the skin's
// lengths and the window's own caption and minimum size. Back on a monitor
// of the first scale it is as it was.
TEST_F(MainWindowTest, ADpiChangeRescalesTheWindowAndTakesTheSuggestedRectangle) {
    ShowAndLayOut();
    const struct {
        int dpi;
        RECT suggested;
        RECT progress;
    } steps[] = {
        {120, {30, 20, 930, 640}, {20, 540, 880, 558}},
        {144, {50, 10, 1130, 754}, {24, 648, 1056, 669}},
        {96, {40, 30, 760, 526}, {16, 432, 704, 446}},
    };
    Orvel::CPaintManagerUI& manager = window.PaintManager();
    for (const auto& step : steps) {
        SCOPED_TRACE(step.dpi);
        auto scaled = [&step](int value) { return MulDiv(value, step.dpi, 96); };
        EXPECT_EQ(0, SendMessageW(window.Handle(), WM_DPICHANGED, MAKEWPARAM(step.dpi, step.dpi),
                                  reinterpret_cast<LPARAM>(&step.suggested)));
        RECT rect = {};
        GetWindowRect(window.Handle(), &rect);
        EXPECT_TRUE(EqualRect(&step.suggested, &rect)) << rect.left << "," << rect.top << "," << rect.right << ","
                                                       << rect.bottom;
        Redraw();

        const Orvel::CUiRect bar = Control(L"progress")->ItemRect();
        EXPECT_EQ(Orvel::CUiRect(step.progress), bar);
        const DWORD track = UiTestWindow::OffscreenPixel(manager, (bar.left + bar.right) / 2, (bar.top + bar.bottom) / 2);
        EXPECT_TRUE(NearRgb(0x202225, track, 12)) << std::hex << track;
        LOGFONTW font = {};
        GetObjectW(manager.FontById(1), sizeof(font), &font);
        EXPECT_EQ(-scaled(16), font.lfHeight);

        MINMAXINFO limits = {};
        SendMessageW(window.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        EXPECT_EQ(scaled(720), limits.ptMinTrackSize.x);
        EXPECT_EQ(scaled(496), limits.ptMinTrackSize.y);
        // The whole title bar drags the window, down to its scaled caption.
        POINT inCaption = {(rect.right - rect.left) / 2, scaled(50) - 1};
        ClientToScreen(window.Handle(), &inCaption);
        EXPECT_EQ(HTCAPTION, SendMessageW(window.Handle(), WM_NCHITTEST, 0, MAKELPARAM(inCaption.x, inCaption.y)));
    }
}

TEST_F(MainWindowTest, ShowRequestShowsAndMinimiseButtonMinimises) {
    EXPECT_EQ(0, Send(WM_SHOWWINDOW));
    EXPECT_TRUE(IsWindowVisible(window.Handle()));
    Click(L"btn_wnd_min");
    EXPECT_TRUE(IsIconic(window.Handle()));
}

}  // namespace
