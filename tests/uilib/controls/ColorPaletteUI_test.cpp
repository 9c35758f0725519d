#include "ColorPaletteUI.h"
#include "PaintManagerUI.h"
#include "TestCanvas.h"
#include "TestControls.h"
#include "TestPng.h"
#include "TestWindow.h"
#include "UiControlTestHelpers.h"

#include <gtest/gtest.h>

using namespace Orvel;
using controltest::Send;

namespace {

// A palette 360 wide: its palette area fills rows 0 to 199, its bar rows
// 230 to 239, so one pixel across is one degree of hue.
class ColorPaletteTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(testpng::WriteSolid(L"thumb.png", 8, 8, 0xFF000000)); }

    ColorPaletteTest() : window([](UINT, WPARAM, LPARAM) { return false; }) {
        manager.Attach(window.Handle(), L"palette");
        manager.AddNotifier(&notes);
        palette.SetName(L"colors");
        manager.BindControls(&palette);
        palette.Place({0, 0, 360, 240});
    }

    void Press(POINT point) {
        Send(palette, UiEventType::ButtonDown, point);
        Send(palette, UiEventType::ButtonUp, point);
    }

    DWORD PaintedAt(POINT point) {
        TestCanvas canvas(360, 240);
        palette.Paint(canvas.Dc(), canvas.Bounds());
        return canvas.Rgb(point.x, point.y);
    }

    TestWindow window;
    CPaintManagerUI manager;
    NotifyLog notes;
    CColorPaletteUI palette;
};

TEST_F(ColorPaletteTest, APressChoosesHueAndLightnessOrSaturation) {
    // Channels are truncated: full cyan comes out with a blue of 254.
    EXPECT_EQ(0xFF00FFFEu, palette.SelectedColor()) << "hue 180, full saturation, half lightness";
    const struct {
        POINT point;
        DWORD color;
    } presses[] = {
        {{0, 0}, 0xFFFFFFFF},     // the palette's top-left corner: hue 0, lightness 200
        {{0, 100}, 0xFFFF0000},   // lightness 100
        {{120, 100}, 0xFF00FF00}, // hue 120
        {{240, 150}, 0xFF00007F}, // hue 240, lightness 50
        {{359, 199}, 0xFF020000}, // the palette's last pixel: hue 359, lightness 1
        {{0, 100}, 0xFFFF0000},
        {{0, 235}, 0xFF7F7F7F},   // the bar's left end: saturation 0
        {{359, 235}, 0xFFFE0000}, // its right end: saturation 199
        {{100, 215}, 0xFFFE0000}, // between palette and bar: nothing changes
    };
    for (const auto& press : presses) {
        SCOPED_TRACE(controltest::RectText({press.point.x, press.point.y, 0, 0}));
        Press(press.point);
        EXPECT_EQ(press.color, palette.SelectedColor()) << std::hex << palette.SelectedColor();
    }
    palette.Place({0, 0, 360, 240});
    EXPECT_EQ(0, palette.Hue());
    EXPECT_EQ(199, palette.Saturation());
    EXPECT_EQ(100, palette.Lightness());
}

TEST_F(ColorPaletteTest, ThePaintedPaletteShowsTheColourAPressThereChooses) {
    for (POINT point : {POINT{30, 60}, POINT{200, 120}, POINT{300, 20}}) {
        Press(point);
        EXPECT_TRUE(NearRgb(palette.SelectedColor() & 0xFFFFFF, PaintedAt(point), 10))
            << point.x << "," << point.y << std::hex << ": " << PaintedAt(point) << " for " << palette.SelectedColor();
    }
    // The bar shows the saturations of the chosen hue and lightness.
    Press({120, 100});
    EXPECT_TRUE(NearRgb(0x00FF00, PaintedAt({359, 235}), 10)) << std::hex << PaintedAt({359, 235});
    EXPECT_TRUE(NearRgb(0x7F7F7F, PaintedAt({0, 235}), 10)) << std::hex << PaintedAt({0, 235});
    // A new saturation greys the whole palette.
    Press({0, 235});
    EXPECT_TRUE(NearRgb(0x7F7F7F, PaintedAt({60, 100}), 10)) << std::hex << PaintedAt({60, 100});
}

TEST_F(ColorPaletteTest, DraggingFollowsThePointerWithinItsArea) {
    Send(palette, UiEventType::ButtonDown, {10, 100});
    Send(palette, UiEventType::MouseMove, {90, 50});
    EXPECT_EQ(90, palette.Hue());
    EXPECT_EQ(150, palette.Lightness());
    EXPECT_EQ(90, palette.ThumbPoint().x);
    Send(palette, UiEventType::MouseMove, {360, 200});
    EXPECT_EQ(360, palette.Hue()) << "edges included";
    EXPECT_EQ(0, palette.Lightness());
    Send(palette, UiEventType::MouseMove, {100, 230});
    EXPECT_EQ(360, palette.Hue()) << "outside the palette";
    Send(palette, UiEventType::ButtonUp, {100, 230});
    Send(palette, UiEventType::MouseMove, {50, 50});
    EXPECT_EQ(360, palette.Hue()) << "released";

    Send(palette, UiEventType::ButtonDown, {180, 235});
    EXPECT_EQ(100, palette.Saturation());
    Send(palette, UiEventType::MouseMove, {900, 0});
    EXPECT_EQ(200, palette.Saturation()) << "held to its range";
    Send(palette, UiEventType::MouseMove, {-50, 0});
    EXPECT_EQ(0, palette.Saturation());
}

TEST_F(ColorPaletteTest, ReleasingSendsColorChangedUnlessDisabled) {
    Press({0, 100});
    ASSERT_EQ(std::vector<std::wstring>{L"colorchanged:colors"}, notes.log);
    palette.SetEnabled(false);
    Press({120, 100});
    EXPECT_EQ(1u, notes.log.size());
}

TEST_F(ColorPaletteTest, ColourChangedCarriesTheColour) {
    struct Receiver : INotifyUI {
        void Notify(UiNotify& notify) override { color = static_cast<DWORD>(notify.wParam); }
        DWORD color = 0;
    } receiver;
    manager.AddNotifier(&receiver);
    Press({120, 100});
    EXPECT_EQ(0xFF00FF00u, receiver.color);
    manager.RemoveNotifier(&receiver);
}

TEST_F(ColorPaletteTest, Attributes) {
    palette.ApplyAttributeList(L"palletheight=\"100\" barheight=\"300\" BarHeight=\"5\" thumbimage=\"thumb.png\"");
    EXPECT_EQ(100, palette.PaletteHeight());
    EXPECT_EQ(150, palette.BarHeight()) << "at most 150; names are case-sensitive";
    EXPECT_STREQ(L"thumb.png", palette.ThumbImage());
    EXPECT_TRUE(palette.IsUpdateNeeded());
    palette.Place({0, 0, 360, 240});

    Press({0, 50});
    EXPECT_EQ(0xFFFF0000u, palette.SelectedColor()) << "half of a 100-high palette is lightness 100";
    EXPECT_EQ(0u, PaintedAt({0, 50})) << "the thumb is drawn where the press was";
    EXPECT_EQ(0u, PaintedAt({359, 240 - 75})) << "and over the bar at the saturation";
    EXPECT_NE(0u, PaintedAt({40, 50}));
}

}  // namespace
