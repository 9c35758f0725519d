// The drop shadow: setter ranges, the shadow window following its owner,
// and the pixels of the computed silhouette.
#include "ShadowUI.h"
#include "TestControls.h"
#include "UiScopedHandles.h"
#include "UiTestWindow.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Orvel;

namespace {

TEST(ShadowSettersTest, OutOfRangeValuesAreRefusedAndChangeNothing) {
    struct Case {
        const char* what;
        std::function<bool(CShadowUI&)> set;
        bool accepted;
    };
    const Case cases[] = {
        {"size -20", [](CShadowUI& s) { return s.SetShadowSize(-20); }, true},
        {"size 21", [](CShadowUI& s) { return s.SetShadowSize(21); }, false},
        {"size -21", [](CShadowUI& s) { return s.SetShadowSize(-21); }, false},
        {"sharpness 20", [](CShadowUI& s) { return s.SetShadowSharpness(20); }, true},
        {"sharpness 21", [](CShadowUI& s) { return s.SetShadowSharpness(21); }, false},
        {"sharpness -1", [](CShadowUI& s) { return s.SetShadowSharpness(-1); }, false},
        {"darkness 255", [](CShadowUI& s) { return s.SetShadowDarkness(255); }, true},
        {"darkness 256", [](CShadowUI& s) { return s.SetShadowDarkness(256); }, false},
        {"offset 20,-20", [](CShadowUI& s) { return s.SetShadowOffset(20, -20); }, true},
        {"offset 0,21", [](CShadowUI& s) { return s.SetShadowOffset(0, 21); }, false},
        {"corner 0,0,0,-1", [](CShadowUI& s) { return s.SetShadowCorner({0, 0, 0, -1}); }, false},
        {"no image", [](CShadowUI& s) { return s.SetShadowImage(nullptr); }, false},
    };
    for (const Case& test : cases) {
        CShadowUI shadow;
        EXPECT_EQ(test.accepted, test.set(shadow)) << test.what;
        if (!test.accepted) {
            EXPECT_EQ(0, shadow.ShadowSize()) << test.what;
            EXPECT_EQ(5, shadow.ShadowSharpness()) << test.what;
            EXPECT_EQ(150, shadow.ShadowDarkness()) << test.what;
            EXPECT_EQ(0, shadow.ShadowOffset().y) << test.what;
            EXPECT_FALSE(shadow.IsImageMode()) << test.what;
        }
    }
    CShadowUI source;
    source.SetShadowSize(7);
    source.SetShadowColor(0x123456);
    source.SetShadowShown(true);
    CShadowUI copy;
    source.CopyShadowTo(copy);
    EXPECT_EQ(7, copy.ShadowSize());
    EXPECT_EQ(0x123456u, copy.ShadowColor());
    EXPECT_TRUE(copy.IsShadowShown());
}

TEST(ShadowClassTest, RegisteringTheClassTwiceIsHarmless) {
    EXPECT_TRUE(CShadowUI::RegisterWindowClass(nullptr));
    EXPECT_TRUE(CShadowUI::RegisterWindowClass(nullptr));
    WNDCLASSEXW info = {};
    info.cbSize = sizeof(info);
    EXPECT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), CShadowUI::kWindowClass, &info));
}

class ShadowWindowTest : public ::testing::Test {
protected:
    RECT RectOf(HWND handle) {
        RECT rect = {};
        GetWindowRect(handle, &rect);
        return rect;
    }

    UiTestWindow window{200, 100};
};

TEST_F(ShadowWindowTest, AShownShadowFollowsItsOwner) {
    CPaintManagerUI& manager = window.Manager();
    manager.ApplyWindowAttribute(L"showshadow", L"true");
    manager.ApplyWindowAttribute(L"shadowsize", L"6");
    manager.ApplyWindowAttribute(L"shadowposition", L"2,3");
    ASSERT_TRUE(manager.AttachRoot(new TestContainer(L"root")));
    HWND shadow = manager.Shadow().ShadowWindow();
    ASSERT_NE(nullptr, shadow);
    wchar_t className[64] = {};
    GetClassNameW(shadow, className, 64);
    EXPECT_STREQ(L"OrvelShadowWnd", className);
    EXPECT_EQ(window.Handle(), GetWindow(shadow, GW_OWNER));
    EXPECT_NE(0, GetWindowLongPtrW(shadow, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    EXPECT_FALSE(IsWindowVisible(shadow)) << "the owner is still hidden";

    window.Show();
    UiTestWindow::PumpPending();
    EXPECT_TRUE(IsWindowVisible(shadow));
    SetWindowPos(window.Handle(), nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT shadowRect = RectOf(shadow);
    EXPECT_EQ(300 + 2 - 6, shadowRect.left);
    EXPECT_EQ(200 + 3 - 6, shadowRect.top);
    EXPECT_EQ(200 + 12, shadowRect.right - shadowRect.left);

    ShowWindow(window.Handle(), SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(shadow));
    ShowWindow(window.Handle(), SW_SHOWNOACTIVATE);
    EXPECT_TRUE(IsWindowVisible(shadow));
    ShowWindow(window.Handle(), SW_MAXIMIZE);
    EXPECT_FALSE(IsWindowVisible(shadow)) << "a maximized window has no shadow";
    ShowWindow(window.Handle(), SW_RESTORE);
    EXPECT_TRUE(IsWindowVisible(shadow));
    DestroyWindow(window.Handle());
    EXPECT_FALSE(IsWindow(shadow));
}

TEST_F(ShadowWindowTest, AnOffsetMovesAShadowOfSizeZero) {
    CPaintManagerUI& manager = window.Manager();
    manager.Shadow().SetShadowShown(true);
    manager.Shadow().SetShadowOffset(5, 5);
    ASSERT_TRUE(manager.AttachRoot(new TestContainer(L"root")));
    window.Show();
    POINT origin;
    EXPECT_EQ(nullptr, manager.Shadow().RenderShadow(window.Handle(), &origin)) << "size 0 draws nothing";
    SetWindowPos(window.Handle(), nullptr, 100, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT shadowRect = RectOf(manager.Shadow().ShadowWindow());
    EXPECT_EQ(105, shadowRect.left);
    EXPECT_EQ(85, shadowRect.top);
}

// Pixels of a bottom-up shadow bitmap, counted from the top.
DWORD ShadowPixel(HBITMAP bitmap, int x, int y) {
    DIBSECTION section = {};
    GetObjectW(bitmap, sizeof(section), &section);
    const int width = section.dsBm.bmWidth;
    const int height = section.dsBm.bmHeight;
    return static_cast<const DWORD*>(section.dsBm.bmBits)[static_cast<size_t>(height - 1 - y) * width + x];
}

TEST_F(ShadowWindowTest, TheSilhouetteIsSolidNearTheWindowSoftOutsideAndClearUnderIt) {
    SetWindowPos(window.Handle(), nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    CShadowUI shadow;
    shadow.SetShadowSize(10);
    shadow.SetShadowSharpness(4);
    shadow.SetShadowDarkness(200);
    shadow.SetShadowColor(0xFF0000);
    POINT origin = {};
    ScopedGdiObject<HBITMAP> bitmap(shadow.RenderShadow(window.Handle(), &origin));
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(90, origin.x);
    BITMAP info = {};
    GetObjectW(bitmap.Get(), sizeof(info), &info);
    EXPECT_EQ(220, info.bmWidth);
    EXPECT_EQ(120, info.bmHeight);
    // The window spans columns 10 to 209 and rows 10 to 109 of the bitmap;
    // the shadow is solid for size - sharpness = 6 pixels beyond it, then fades.
    EXPECT_EQ(0xC8C80000u, ShadowPixel(bitmap.Get(), 5, 60));
    EXPECT_EQ(0xC8C80000u, ShadowPixel(bitmap.Get(), 110, 105 + 10));
    EXPECT_EQ(0x50500000u, ShadowPixel(bitmap.Get(), 1, 60)) << "(1 - 3 / 5) x 200, 9 pixels out";
    EXPECT_EQ(0u, ShadowPixel(bitmap.Get(), 0, 0)) << "beyond the radius at the corner";
    EXPECT_EQ(0u, ShadowPixel(bitmap.Get(), 10, 10));
    EXPECT_EQ(0u, ShadowPixel(bitmap.Get(), 110, 60));

    // A soft edge wider than the shadow shrinks the shape, so the brush
    // reaches under the window's edges; nothing may darken the window. Shifted
    // up by 2, the window covers rows 5 to 104 of the 106.
    shadow.SetShadowSize(3);
    shadow.SetShadowSharpness(12);
    shadow.SetShadowOffset(0, -2);
    ScopedGdiObject<HBITMAP> soft(shadow.RenderShadow(window.Handle(), &origin));
    ASSERT_TRUE(soft);
    for (int y : {5, 8, 60, 100, 104}) {
        EXPECT_EQ(0u, ShadowPixel(soft.Get(), 50, y)) << "row " << y;
    }
    EXPECT_NE(0u, ShadowPixel(soft.Get(), 50, 3)) << "above the window";
    EXPECT_NE(0u, ShadowPixel(soft.Get(), 50, 105)) << "below the window";
}

}  // namespace
