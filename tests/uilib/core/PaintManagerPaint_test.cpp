// The paint pipeline and the window attributes on real windows: pixels are
// read from the manager's off-screen bitmap or through PrintWindow.
#include "PaintManagerUI.h"
#include "TestCanvas.h"
#include "TestControls.h"
#include "TestPng.h"
#include "UiTestWindow.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace Orvel;

namespace {

constexpr DWORD kBlue = 0xFF2040C0;
constexpr DWORD kGreen = 0xFF00C000;

// A window with a root container and one child at (10, 10, 50, 30).
class PaintTest : public ::testing::Test {
protected:
    PaintTest() {
        root = new TestContainer(L"root");
        child = root->Add(new RecordingControl(L"child"), {10, 10, 50, 30});
        manager().AddNotifier(&notifications);
    }

    CPaintManagerUI& manager() { return window.Manager(); }
    RECT WindowRect() {
        RECT rect = {};
        GetWindowRect(window.Handle(), &rect);
        return rect;
    }

    UiTestWindow window{200, 120};
    NotifyLog notifications;
    TestContainer* root;       // owned by the manager once attached
    RecordingControl* child;  // owned by root
};

TEST_F(PaintTest, TheFirstPaintLaysOutOnceAndSaysWindowInit) {
    root->SetBackColor(kBlue);
    child->SetBackColor(kGreen);
    ASSERT_TRUE(manager().AttachRoot(root));
    EXPECT_TRUE(root->ItemRect().IsEmpty());
    window.Show();
    EXPECT_EQ(CUiRect(0, 0, 200, 120), root->ItemRect());
    EXPECT_EQ(CUiRect(10, 10, 50, 30), child->ItemRect());
    EXPECT_EQ((std::vector<std::wstring>{L"windowinit:root"}), notifications.log);
    UiTestWindow::PumpPending();
    window.Repaint();
    UiTestWindow::PumpPending();
    EXPECT_EQ((std::vector<std::wstring>{L"windowinit:root", L"windowsize:root"}), notifications.log);
    EXPECT_EQ(1, root->placeCount);

    EXPECT_EQ(kGreen & 0xFFFFFF, window.OffscreenPixel(20, 20) & 0xFFFFFF);
    EXPECT_EQ(kBlue & 0xFFFFFF, window.OffscreenPixel(100, 100) & 0xFFFFFF);
    // What reaches the window, through WM_PRINTCLIENT.
    TestCanvas printed(200, 120, 0);
    ASSERT_TRUE(PrintWindow(window.Handle(), printed.Dc(), 0));
    EXPECT_TRUE(NearRgb(kGreen, printed.Pixel(20, 20)));

    // Only controls that asked for it are placed again.
    child->RequestUpdate();
    window.Repaint();
    EXPECT_EQ(1, root->placeCount);
    EXPECT_FALSE(child->IsUpdateNeeded());
    child->SetFixedWidth(60);
    window.Repaint();
    EXPECT_EQ(2, root->placeCount);
    EXPECT_EQ(CUiRect(10, 10, 70, 30), child->ItemRect());
}

// Asks for a new layout from inside its paint, once.
class AskingControl : public RecordingControl {
public:
    void Paint(HDC dc, const RECT& paintRect) override {
        RecordingControl::Paint(dc, paintRect);
        if (ask) {
            ask = false;
            RequestUpdate();
        }
    }
    bool ask = false;
};

TEST_F(PaintTest, LayoutAskedForWhilePaintingRepaintsOnlyWhatAsked) {
    auto* asking = root->Add(new AskingControl(), {60, 10, 100, 30});
    ASSERT_TRUE(manager().AttachRoot(root));
    window.Show();
    asking->ask = true;
    manager().InvalidateArea(asking->ItemRect());
    UpdateWindow(window.Handle());
    RECT pending = {};
    ASSERT_TRUE(GetUpdateRect(window.Handle(), &pending, FALSE));
    EXPECT_EQ(asking->ItemRect(), CUiRect(pending));
    UpdateWindow(window.Handle());
    EXPECT_FALSE(asking->IsUpdateNeeded());
    EXPECT_FALSE(GetUpdateRect(window.Handle(), &pending, FALSE));
}

TEST_F(PaintTest, ALayeredWindowKeepsControlAlphaAndMakesGdiOutputOpaque) {
    ASSERT_TRUE(testpng::WriteSolid(L"half.png", 4, 4, 0x80FF0000));
    child->SetBackImage(L"half.png");
    root->Add(new RecordingControl(L"gdi"), {60, 10, 100, 30})->SetBackColor(kGreen);
    manager().ApplyWindowAttribute(L"bktrans", L"true");
    ASSERT_TRUE(manager().IsLayered());
    ASSERT_TRUE(manager().AttachRoot(root));
    window.Show();
    EXPECT_NE(0, GetWindowLongPtrW(window.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    const DWORD half = window.OffscreenPixel(20, 20);
    EXPECT_EQ(0x80u, half >> 24);
    EXPECT_NEAR(0x80, RedOf(half), 2);
    EXPECT_EQ(kGreen, window.OffscreenPixel(70, 20));
    EXPECT_EQ(0u, window.OffscreenPixel(150, 80)) << "nothing painted stays transparent";

    // After an update the dirty rectangle starts empty: a small repaint far
    // from the origin outlines just itself.
    manager().SetShowUpdateRect(true);
    manager().InvalidateArea({150, 80, 160, 90});
    UpdateWindow(window.Handle());
    EXPECT_EQ(0xFFFF0000u, window.OffscreenPixel(150, 85));
    EXPECT_EQ(0xFFFF0000u, window.OffscreenPixel(155, 89));
    EXPECT_EQ(0u, window.OffscreenPixel(159, 50));
    EXPECT_EQ(0u, window.OffscreenPixel(100, 0));
}

TEST_F(PaintTest, ShowDirtyOutlinesTheRepaintedArea) {
    manager().ApplyWindowAttribute(L"showdirty", L"true");
    ASSERT_TRUE(manager().AttachRoot(root));
    window.Show();
    RECT area = {100, 60, 140, 90};
    manager().InvalidateArea(area);
    UpdateWindow(window.Handle());
    EXPECT_EQ(0xFF0000u, window.OffscreenPixel(100, 75) & 0xFFFFFF);
    EXPECT_EQ(0xFF0000u, window.OffscreenPixel(139, 75) & 0xFFFFFF);
    EXPECT_NE(0xFF0000u, window.OffscreenPixel(120, 75) & 0xFFFFFF);
}

TEST_F(PaintTest, WindowAttributesReachTheirSetters) {
    CPaintManagerUI& m = manager();
    m.DpiScale().SetDpi(144);
    m.ApplyWindowAttribute(L"SIZE", L"120,80");
    RECT rect = WindowRect();
    EXPECT_EQ(180, rect.right - rect.left);
    EXPECT_EQ(120, rect.bottom - rect.top);
    // Lengths of the skin follow the display scale like the size does.
    m.ApplyWindowAttribute(L"mininfo", L"150,100");
    m.ApplyWindowAttribute(L"maxinfo", L"400,300");
    MINMAXINFO info = {};
    SendMessageW(window.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(225, info.ptMinTrackSize.x);
    EXPECT_EQ(450, info.ptMaxSize.y);
    m.ApplyWindowAttribute(L"caption", L"0,0,0,-1");
    EXPECT_EQ(-1, m.CaptionRect().bottom);
    m.ApplyWindowAttribute(L"defaultfontcolor", L"#FF112233");
    EXPECT_EQ(0xFF112233u, m.DefaultFontColor());
    m.ApplyWindowAttribute(L"textrenderinghint", L"4");
    EXPECT_EQ(4, m.TextRenderingHint());
    m.ApplyWindowAttribute(L"shadowsize", L"30");
    EXPECT_EQ(0, m.Shadow().ShadowSize()) << "out of range";
    m.ApplyWindowAttribute(L"Bktrans", L"true");
    EXPECT_FALSE(m.IsLayered()) << "case-sensitive name";
    m.ApplyWindowAttribute(L"alpha", L"200");
    BYTE alpha = 0;
    EXPECT_TRUE(GetLayeredWindowAttributes(window.Handle(), nullptr, &alpha, nullptr));
    EXPECT_EQ(200, alpha);
    m.ApplyWindowAttribute(L"trayiconid", L"0");
    EXPECT_FALSE(m.IsTrayIconAdded());
}

TEST_F(PaintTest, TheNotificationIconComesWithItsTipAndGoesWithItsManager) {
    auto tray = std::make_unique<CPaintManagerUI>();
    tray->Attach(window.Handle(), L"tray");
    tray->ApplyWindowAttribute(L"traytiptext", L"Korva");
    tray->ApplyWindowAttribute(L"trayiconid", L"7");
    ASSERT_TRUE(tray->IsTrayIconAdded());
    NOTIFYICONDATAW probe = {};
    probe.cbSize = sizeof(probe);
    probe.hWnd = window.Handle();
    probe.uID = 7;
    probe.uFlags = NIF_TIP;
    EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &probe));
    tray->ApplyWindowAttribute(L"TrayTipText", L"ignored");
    tray.reset();
    EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &probe)) << "removed with its manager";
}

TEST_F(PaintTest, SharedColoursCarryAlongWindowsThatKeptTheDefault) {
    CPaintManagerUI other;
    const DWORD old = other.DefaultLinkFontColor();
    manager().SetDefaultLinkFontColor(0xFF010203);
    EXPECT_EQ(old, other.DefaultLinkFontColor());
    UiTestWindow second;
    second.Manager().SetDefaultLinkFontColor(0xFF0A0B0C, true);
    EXPECT_EQ(0xFF010203u, manager().DefaultLinkFontColor()) << "a window with its own colour keeps it";
    CPaintManagerUI later;
    EXPECT_EQ(0xFF0A0B0Cu, later.DefaultLinkFontColor());
    second.Manager().SetDefaultLinkFontColor(old, true);
}

TEST_F(PaintTest, ADestroyedNativeChildLeavesTheLayeredComposition) {
    ASSERT_TRUE(manager().AttachRoot(root));
    manager().SetLayered(true);
    HWND native = CreateWindowExW(0, L"STATIC", L"x", WS_CHILD | WS_VISIBLE, 120, 60, 30, 20, window.Handle(), nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(manager().AddNativeWindow(native));
    EXPECT_FALSE(manager().AddNativeWindow(native));
    window.Show();
    EXPECT_EQ(1, manager().NativeWindowCount());
    EXPECT_EQ(0xFFu, window.OffscreenPixel(130, 70) >> 24) << "the child is composed opaque";
    DestroyWindow(native);
    window.Repaint();
    EXPECT_EQ(0, manager().NativeWindowCount());
}

TEST_F(PaintTest, TheCaretMarkBlinksWithItsTimer) {
    ASSERT_TRUE(manager().AttachRoot(root));
    window.Show();
    manager().CreateCaret(nullptr, 2, 12);
    manager().SetCaretPos(child, 30, 14);
    EXPECT_EQ(CUiRect(30, 14, 32, 26), manager().CaretRect());
    EXPECT_EQ(child, manager().CaretOwner());
    manager().ShowCaret(true);
    EXPECT_TRUE(manager().IsCaretMarkShown());
    SendMessageW(window.Handle(), WM_TIMER, CPaintManagerUI::kCaretTimerId, 0);
    EXPECT_FALSE(manager().IsCaretMarkShown());
    SendMessageW(window.Handle(), WM_TIMER, CPaintManagerUI::kCaretTimerId, 0);
    EXPECT_TRUE(manager().IsCaretMarkShown());
    manager().ShowCaret(false);
    EXPECT_FALSE(manager().IsCaretMarkShown());
    DestroyCaret();
}

TEST_F(PaintTest, AttachingANewRootRetiresTheOldOneWithTheDeferredWork) {
    static bool oldRootDestroyed;
    oldRootDestroyed = false;
    root->DestroyHooks += MakeDelegate(+[](void*) {
        oldRootDestroyed = true;
        return true;
    });
    ASSERT_TRUE(manager().AttachRoot(root));
    window.Show();
    ASSERT_TRUE(manager().AttachRoot(new TestContainer(L"next")));
    EXPECT_FALSE(oldRootDestroyed);
    UiTestWindow::PumpPending();
    EXPECT_TRUE(oldRootDestroyed);
    EXPECT_EQ(nullptr, manager().ControlByName(L"child"));
    // The old root's queued "windowsize" lost its sender; the new tree is painted at once.
    EXPECT_EQ((std::vector<std::wstring>{L"windowinit:root", L"windowsize:-", L"windowinit:next", L"windowsize:next"}),
              notifications.log);
}

// Scaling runs last: it rebuilds the process's shared fonts too.
TEST_F(PaintTest, ApplyScaleRebuildsFontsReplacesControlsAndResizesANormalWindow) {
    HFONT before = manager().RegisterFont(1, L"", 12, FW_NORMAL, false, false);
    ASSERT_TRUE(manager().AttachRoot(root));
    window.Show();
    std::vector<UINT> posted;
    window.SetHook([&](UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message == CPaintManagerUI::kScaleChangedMessage) {
            posted.push_back(message);
        }
        return false;
    });

    manager().ApplyScale(144);
    RECT rect = WindowRect();
    EXPECT_EQ(300, rect.right - rect.left);
    EXPECT_EQ(180, rect.bottom - rect.top);
    EXPECT_EQ(40, rect.left);
    LOGFONTW font = {};
    HFONT after = manager().FontById(1);
    EXPECT_NE(before, after);
    GetObjectW(after, sizeof(font), &font);
    EXPECT_EQ(-18, font.lfHeight);
    window.Repaint();
    EXPECT_EQ(CUiRect(15, 15, 75, 45), child->ItemRect());
    UiTestWindow::PumpPending();
    EXPECT_EQ(1u, posted.size());

    ShowWindow(window.Handle(), SW_MAXIMIZE);
    ASSERT_TRUE(IsZoomed(window.Handle()));
    const RECT maximized = WindowRect();
    manager().ApplyScale(96);
    const RECT unchanged = WindowRect();
    EXPECT_TRUE(EqualRect(&maximized, &unchanged));
    GetObjectW(manager().FontById(1), sizeof(font), &font);
    EXPECT_EQ(-12, font.lfHeight);
    window.Repaint();
    EXPECT_EQ(CUiRect(10, 10, 50, 30), child->ItemRect());
}

TEST(PaintChildWindowTest, ALayeredAttributeOnAChildWindowIsIgnored) {
    UiTestWindow parent(300, 200);
    UiTestWindow child(100, 60, WS_CHILD | WS_VISIBLE, 0, parent.Handle());
    child.Manager().ApplyWindowAttribute(L"bktrans", L"true");
    EXPECT_FALSE(child.Manager().IsLayered());
    EXPECT_EQ(0, GetWindowLongPtrW(child.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
}

}  // namespace
