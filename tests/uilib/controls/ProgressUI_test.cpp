#include "PaintManagerUI.h"
#include "ProgressUI.h"
#include "TestCanvas.h"
#include "TestPng.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Orvel;

namespace {

constexpr DWORD kRed = 0xFF0000;
constexpr DWORD kBlue = 0x0000FF;
constexpr DWORD kWhite = 0xFFFFFF;

class ProgressTest : public ::testing::Test {
protected:
    // A fore image of the bar's size: its left half red, its right half blue.
    static void SetUpTestSuite() {
        std::vector<uint32_t> pixels(200 * 14);
        for (int i = 0; i < 200 * 14; ++i) {
            pixels[i] = (i % 200) < 100 ? 0xFFFF0000 : 0xFF0000FF;
        }
        ASSERT_TRUE(testpng::Write(L"halves.png", 200, 14, pixels));
    }

    ProgressTest() { manager.BindControls(&progress); }

    // The bar painted on white, probed at each (x, y).
    void ExpectColours(const std::vector<std::pair<POINT, DWORD>>& probes, const char* what) {
        TestCanvas canvas(320, 120);
        progress.Paint(canvas.Dc(), canvas.Bounds());
        for (const auto& probe : probes) {
            const DWORD rgb = canvas.Rgb(probe.first.x, probe.first.y);
            EXPECT_TRUE(NearRgb(probe.second, rgb, 8))
                << what << " at " << probe.first.x << "," << probe.first.y << std::hex << ": " << rgb;
        }
    }

    CPaintManagerUI manager;
    CProgressUI progress;
};

TEST_F(ProgressTest, ValuesOutsideTheRangeAreIgnored) {
    EXPECT_EQ(12, progress.FixedHeight());
    progress.ApplyAttributeList(L"value=\"40\" value=\"150\" value=\"-1\"");
    EXPECT_EQ(40, progress.Value());
    progress.SetValue(100);
    EXPECT_EQ(100, progress.Value());
    progress.ApplyAttributeList(L"min=\"50\" max=\"20\"");
    EXPECT_EQ(20, progress.Maximum()) << "stored unchecked";
    progress.Place({0, 0, 200, 14});
    ExpectColours({}, "normalising");
    EXPECT_EQ(51, progress.Maximum());
    EXPECT_EQ(51, progress.Value());
}

TEST_F(ProgressTest, TheFillTakesTheValuesShareOfTheWidth) {
    progress.ApplyAttributeList(L"forecolor=\"#FFFF0000\" height=\"14\"");
    progress.Place({0, 0, 200, 14});
    const struct {
        int value;
        int filled;
    } cases[] = {{0, 0}, {40, 80}, {50, 100}, {100, 200}};
    for (const auto& item : cases) {
        progress.SetValue(item.value);
        TestCanvas canvas(220, 14);
        progress.Paint(canvas.Dc(), canvas.Bounds());
        EXPECT_EQ(item.filled, canvas.CountWhere({0, 7, 220, 8}, [](DWORD p) { return (p & 0xFFFFFF) == kRed; }))
            << item.value;
        EXPECT_EQ(kWhite, canvas.Rgb(item.filled, 7)) << item.value;
    }
}

TEST_F(ProgressTest, TheForeImageIsStretchedIntoTheFillOrCroppedToIt) {
    progress.ApplyAttributeList(L"foreimage=\"halves.png\" height=\"14\"");
    progress.Place({0, 0, 200, 14});
    const struct {
        int value;
        bool stretch;
        DWORD at25, at75, at125, at175;
    } cases[] = {
        {0, true, kWhite, kWhite, kWhite, kWhite},
        {50, true, kRed, kBlue, kWhite, kWhite},
        {50, false, kRed, kRed, kWhite, kWhite},
        {100, true, kRed, kRed, kBlue, kBlue},
        {100, false, kRed, kRed, kBlue, kBlue},
    };
    for (const auto& item : cases) {
        progress.SetValue(item.value);
        progress.SetStretchFore(item.stretch);
        ExpectColours({{{25, 7}, item.at25}, {{75, 7}, item.at75}, {{125, 7}, item.at125}, {{175, 7}, item.at175}},
                      item.stretch ? "stretched" : "cropped");
    }
}

TEST_F(ProgressTest, TheFillScalesWithTheWindow) {
    manager.DpiScale().SetDpi(144);
    progress.ApplyAttributeList(L"foreimage=\"halves.png\" value=\"40\"");
    progress.Place({0, 0, 300, 21});
    ExpectColours({{{50, 10}, kRed}, {{100, 10}, kBlue}, {{118, 10}, kBlue}, {{121, 10}, kWhite}}, "at 150 %");
}

TEST_F(ProgressTest, VerticalBarsFillFromTheBottom) {
    progress.ApplyAttributeList(L"hor=\"false\" value=\"25\" forecolor=\"#FFFF0000\"");
    progress.Place({0, 0, 20, 100});
    ExpectColours({{{10, 74}, kWhite}, {{10, 76}, kRed}, {{10, 99}, kRed}}, "colour");
    progress.SetForeColor(0);
    progress.SetForeImage(L"halves.png");
    ExpectColours({{{10, 74}, kWhite}, {{4, 80}, kRed}, {{16, 80}, kBlue}}, "image");
}

}  // namespace
