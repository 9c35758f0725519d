#include "GroupBoxUI.h"
#include "PaintManagerUI.h"
#include "TestCanvas.h"
#include "TestControls.h"
#include "TestWindow.h"
#include "UiControlTestHelpers.h"

#include <gtest/gtest.h>

#include <string>

using namespace Orvel;

namespace {

constexpr DWORD kRed = 0xFF0000;
constexpr DWORD kWhite = 0xFFFFFF;
constexpr DWORD kGrey = 0xC0C0C0;

bool IsRed(DWORD argb) {
    return NearRgb(argb, kRed, 40);
}

// Dark pixels: the caption's black text.
bool IsInk(DWORD argb) {
    return RedOf(argb) < 100 && GreenOf(argb) < 100 && BlueOf(argb) < 100;
}

// A group box 200 x 100 at (0, 0) with one child, painted on grey.
class GroupBoxTest : public ::testing::Test {
protected:
    GroupBoxTest() : window([](UINT, WPARAM, LPARAM) { return false; }), canvas(200, 100, 0xFF000000 | kGrey) {
        manager.Attach(window.Handle(), L"group");
        box.Add(child);
    }

    void Paint(const wchar_t* attributes) {
        box.ApplyAttributeList(attributes);
        manager.BindControls(&box);
        box.Place({0, 0, 200, 100});
        canvas.Clear();
        box.Paint(canvas.Dc(), canvas.Bounds());
    }

    RECT InkBounds() const {
        RECT ink = {200, 100, -1, -1};
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 200; ++x) {
                if (IsInk(canvas.Pixel(x, y))) {
                    ink = {std::min(ink.left, static_cast<LONG>(x)), std::min(ink.top, static_cast<LONG>(y)),
                           std::max(ink.right, static_cast<LONG>(x + 1)), std::max(ink.bottom, static_cast<LONG>(y + 1))};
                }
            }
        }
        return ink;
    }

    TestWindow window;
    CPaintManagerUI manager;
    CGroupBoxUI box;
    CControlUI* child = new CControlUI();
    TestCanvas canvas;
};

TEST_F(GroupBoxTest, TheFrameLies5InsideAndTheCaptionCutsItsTopLine) {
    Paint(L"bordersize=\"1\" bordercolor=\"#FFFF0000\" bkcolor=\"#FFFFFFFF\" text=\"Options\" textcolor=\"#FF000000\"");
    for (POINT on : {POINT{5, 50}, POINT{194, 50}, POINT{150, 5}, POINT{100, 94}, POINT{5, 5}}) {
        EXPECT_TRUE(IsRed(canvas.Pixel(on.x, on.y))) << on.x << "," << on.y;
    }
    for (POINT off : {POINT{4, 50}, POINT{6, 50}, POINT{150, 4}, POINT{150, 6}, POINT{195, 50}}) {
        EXPECT_FALSE(IsRed(canvas.Pixel(off.x, off.y))) << off.x << "," << off.y;
    }
    const CUiRect caption = box.CaptionRect(canvas.Dc());
    EXPECT_EQ(20, caption.left);
    EXPECT_EQ(0, caption.top) << "5 above the frame line";
    ASSERT_GT(caption.Width(), 20);
    const RECT ink = InkBounds();
    EXPECT_GE(ink.left, 20);
    EXPECT_LE(ink.left, 24);
    EXPECT_LE(ink.right, caption.right);
    EXPECT_GE(ink.top, 0);
    EXPECT_LT(ink.top, 5) << "the text stands over the frame line";
    // Where no glyph covers the line, the caption's back colour does.
    const int hidden = canvas.CountWhere({caption.left, 5, caption.right, 6}, IsRed);
    EXPECT_EQ(0, hidden) << controltest::RectText(caption);
    EXPECT_TRUE(NearRgb(kWhite, canvas.Rgb(caption.right - 1, 5))) << std::hex << canvas.Rgb(caption.right - 1, 5);
}

TEST_F(GroupBoxTest, ChildrenSitInsideTheDefaultInset) {
    Paint(L"");
    EXPECT_EQ(CUiRect(20, 25, 180, 80), child->ItemRect()) << controltest::RectText(child->ItemRect());
    EXPECT_EQ(0, canvas.CountChanged(canvas.Bounds())) << "no border, no text: nothing drawn";
}

TEST_F(GroupBoxTest, WithoutABorderSizeOnlyTheCaptionDraws) {
    Paint(L"bordercolor=\"#FFFF0000\" bkcolor=\"#FFFFFFFF\" text=\"Options\"");
    EXPECT_EQ(0, canvas.CountWhere(canvas.Bounds(), IsRed));
    EXPECT_GE(InkBounds().left, 20);
    EXPECT_GT(canvas.CountWhere(canvas.Bounds(), IsInk), 10);
}

TEST_F(GroupBoxTest, AnEmptyTextDrawsTheFrameOnly) {
    Paint(L"bordersize=\"1\" bordercolor=\"#FFFF0000\" bkcolor=\"#FFFFFFFF\"");
    EXPECT_EQ(190, canvas.CountWhere({0, 5, 200, 6}, IsRed)) << "an unbroken top line";
    EXPECT_EQ(0, canvas.CountWhere(canvas.Bounds(), IsInk));
}

// Without a back colour the caption is not put on black: the frame leaves
// the caption's rectangle out and the text is drawn over what was there.
TEST_F(GroupBoxTest, WithoutABackColourTheLineStopsAtTheCaption) {
    Paint(L"bordersize=\"1\" bordercolor=\"#FFFF0000\" text=\"Options\"");
    const CUiRect caption = box.CaptionRect(canvas.Dc());
    EXPECT_EQ(0, canvas.CountWhere({caption.left, 5, caption.right, 6}, IsRed));
    EXPECT_TRUE(IsRed(canvas.Pixel(caption.left - 1, 5)));
    EXPECT_TRUE(IsRed(canvas.Pixel(caption.right, 5)));
    const int background = canvas.CountWhere(caption, [](DWORD p) { return NearRgb(p, kGrey, 2); });
    EXPECT_GT(background, caption.Width() * caption.Height() / 2);
    EXPECT_GT(canvas.CountWhere(caption, IsInk), 10);
}

TEST_F(GroupBoxTest, CaptionColoursAndRoundedFrames) {
    Paint(L"bordersize=\"2\" bordercolor=\"#FFFF0000\" borderround=\"12,12\" bkcolor=\"#FFFFFFFF\" text=\"WWW\" "
          L"textcolor=\"#FF0000FF\"");
    EXPECT_EQ(0xFF0000FFu, box.TextColor());
    EXPECT_TRUE(IsRed(canvas.Pixel(5, 50)));
    EXPECT_TRUE(IsRed(canvas.Pixel(150, 5)));
    EXPECT_FALSE(IsRed(canvas.Pixel(5, 5))) << "a rounded corner";
    EXPECT_GT(canvas.CountWhere(box.CaptionRect(canvas.Dc()), [](DWORD p) { return BlueOf(p) > 200 && RedOf(p) < 60; }),
              5);
    box.SetEnabled(false);
    box.ApplyAttributeList(L"disabledtextcolor=\"#FF00FF00\"");
    canvas.Clear();
    box.Paint(canvas.Dc(), canvas.Bounds());
    EXPECT_GT(canvas.CountWhere(box.CaptionRect(canvas.Dc()), [](DWORD p) { return GreenOf(p) > 200 && RedOf(p) < 60; }),
              5);
}

}  // namespace
