#include "UiDpiScale.h"

#include "TestEnv.h"

#include <gtest/gtest.h>

using Orvel::CUiDpiScale;
using Orvel::CUiRect;
using Orvel::CUiSize;

TEST(UiDpiScaleTest, StartsPerMonitorAt100) {
    CUiDpiScale scale;
    EXPECT_EQ(CUiDpiScale::PerMonitor, scale.AwarenessMode());
    EXPECT_EQ(100, scale.ScalePercent());
    EXPECT_EQ(96, scale.CurrentDpi());
    EXPECT_EQ(720, scale.ScaleValue(720));
}

TEST(UiDpiScaleTest, Dpi144ScalesBy150) {
    CUiDpiScale scale;
    scale.SetDpi(144);
    EXPECT_EQ(150, scale.ScalePercent());
    EXPECT_EQ(144, scale.CurrentDpi());
    EXPECT_EQ(1080, scale.ScaleValue(720));
    EXPECT_EQ(-18, -scale.ScaleValue(12));
    EXPECT_EQ(720, scale.UnscaleValue(1080));
    EXPECT_EQ(CUiSize(1080, 744), scale.ScaleSize(720, 496));
}

TEST(UiDpiScaleTest, MulDivRoundsToNearest) {
    CUiDpiScale scale;
    scale.SetDpi(120);
    EXPECT_EQ(125, scale.ScalePercent());
    EXPECT_EQ(4, scale.ScaleValue(3));   // 3.75
    EXPECT_EQ(1, scale.ScaleValue(1));   // 1.25
    EXPECT_EQ(3, scale.ScaleValue(2));   // 2.5 rounds away from zero
    EXPECT_EQ(-3, scale.ScaleValue(-2));
    EXPECT_EQ(2, scale.UnscaleValue(3));  // 2.4
    scale.SetDpi(168);
    EXPECT_EQ(175, scale.ScalePercent());
}

// The size of a scaled rectangle must not depend on its position, or
// neighbouring controls would overlap or leave gaps.
TEST(UiDpiScaleTest, ScaledRectangleSizeIsIndependentOfItsLeftEdge) {
    for (int dpi : {120, 144, 168}) {
        CUiDpiScale scale;
        scale.SetDpi(dpi);
        int width = scale.ScaleValue(7);
        int height = scale.ScaleValue(5);
        for (int left = 0; left < 40; ++left) {
            CUiRect rect(left, left * 3, left + 7, left * 3 + 5);
            scale.ScaleRect(&rect);
            EXPECT_EQ(width, rect.Width()) << dpi << " " << left;
            EXPECT_EQ(height, rect.Height()) << dpi << " " << left;
            EXPECT_EQ(scale.ScaleValue(left), rect.left);
            EXPECT_EQ(scale.ScaleValue(left * 3), rect.top);
        }
    }
    CUiDpiScale scale;
    scale.SetDpi(120);
    CUiRect rect(1, 1, 4, 4);
    scale.ScaleRect(&rect);
    EXPECT_EQ(CUiRect(1, 1, 5, 5), rect);
    EXPECT_EQ(CUiRect(1, 1, 5, 5), scale.ScaleRectFrom(1, 1, 4, 4));
    CUiRect back(1, 1, 5, 5);
    scale.UnscaleRect(&back);
    EXPECT_EQ(CUiRect(1, 1, 4, 4), back);
}

TEST(UiDpiScaleTest, UnawareModeNeverScales) {
    CUiDpiScale scale;
    scale.SetDpi(144);
    scale.SetAwarenessMode(CUiDpiScale::Unaware);
    EXPECT_EQ(100, scale.ScalePercent());
    EXPECT_EQ(96, scale.CurrentDpi());
    EXPECT_EQ(720, scale.ScaleValue(720));
    EXPECT_EQ(720, scale.UnscaleValue(720));
    CUiRect rect(3, 3, 10, 10);
    scale.ScaleRect(&rect);
    EXPECT_EQ(CUiRect(3, 3, 10, 10), rect);
}

// The first scale is recorded by the first DPI the object is given, its own
// 96 at construction; later DPIs change only the current scale.
TEST(UiDpiScaleTest, SystemAwareModeKeepsTheFirstScale) {
    CUiDpiScale scale;
    scale.SetAwarenessMode(CUiDpiScale::SystemAware);
    scale.SetDpi(144);
    EXPECT_EQ(100, scale.ScalePercent());
    EXPECT_EQ(96, scale.CurrentDpi());
    EXPECT_EQ(720, scale.ScaleValue(720));
    scale.SetDpi(192);
    EXPECT_EQ(100, scale.ScalePercent());
    scale.SetAwarenessMode(CUiDpiScale::PerMonitor);
    EXPECT_EQ(200, scale.ScalePercent());
    EXPECT_EQ(192, scale.CurrentDpi());
    scale.SetAwarenessMode(7);
    EXPECT_EQ(CUiDpiScale::PerMonitor, scale.AwarenessMode());
}

TEST(UiDpiScaleTest, NonPositiveDpiCountsAs96) {
    CUiDpiScale scale;
    scale.SetDpi(0);
    EXPECT_EQ(100, scale.ScalePercent());
    EXPECT_EQ(50, scale.UnscaleValue(50));
    scale.SetDpi(-20);
    EXPECT_EQ(100, scale.ScalePercent());
}

namespace {

// The harness runs this binary at Wine's default 96 DPI and again at 144.
int DisplayDpi() {
    std::wstring dpi = testenv::Var(L"TEST_DISPLAY_DPI");
    return dpi.empty() ? 96 : _wtoi(dpi.c_str());
}

}  // namespace

TEST(UiDpiScaleTest, MonitorDpiIsTheDisplaysDpi) {
    const int dpi = DisplayDpi();
    EXPECT_EQ(dpi, CUiDpiScale::PrimaryDpi());
    EXPECT_EQ(dpi, CUiDpiScale::DpiAtPoint(1, 1));
    // A point far off every screen takes the nearest monitor.
    EXPECT_EQ(dpi, CUiDpiScale::DpiAtPoint(-100000, -100000));
    CUiDpiScale scale;
    scale.SetDpi(CUiDpiScale::PrimaryDpi());
    EXPECT_EQ(MulDiv(720, dpi, 96), scale.ScaleValue(720));
    EXPECT_EQ(-MulDiv(12, dpi, 96), -scale.ScaleValue(12));
}

// This binary declares Windows 10 support (UiDpiScale_test.rc) and the test
// prefix reports Windows 10, so the DPI comes from Shcore's GetDpiForMonitor
// rather than from the screen's device caps (which nothing here loads it for).
TEST(UiDpiScaleTest, OnWindows81AndLaterTheDpiComesFromShcore) {
    EXPECT_EQ(DisplayDpi(), CUiDpiScale::PrimaryDpi());
    EXPECT_NE(nullptr, GetModuleHandleW(L"shcore.dll"));
}
