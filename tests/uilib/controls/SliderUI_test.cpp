// The slider on a real window: presses, drags and the wheel arrive as window
// messages; the values and notifications they give, and the thumb's looks.
#include "LayoutBuilder.h"
#include "PaintManagerUI.h"
#include "SliderUI.h"
#include "TestControls.h"
#include "TestPng.h"
#include "UiControlTestHelpers.h"
#include "UiTestWindow.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace Orvel;
using Log = std::vector<std::wstring>;

namespace {

// A horizontal slider 0..100 at x 0 to 210 (thumb 10 x 10) and a vertical
// one 0..100 at y 10 to 110.
class SliderTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* root = new TestContainer(L"root");
        hor = root->Add(new CSliderUI(), {0, 0, 210, 20});
        ver = root->Add(new CSliderUI(), {230, 10, 250, 110});
        hor->SetName(L"hor");
        ver->SetName(L"ver");
        ver->SetHorizontal(false);
        ASSERT_TRUE(window.Manager().AttachRoot(root));
        log.ignored = {L"windowinit", L"setfocus", L"killfocus"};
        window.Manager().AddNotifier(&log);
        SetCursorPos(1200, 1000);
        window.Show();
    }

    LRESULT Send(UINT message, WPARAM wParam, int x, int y) {
        return SendMessageW(window.Handle(), message, wParam, MAKELPARAM(x, y));
    }
    void Press(int x, int y) { Send(WM_LBUTTONDOWN, MK_LBUTTON, x, y); }
    void Drag(int x, int y) { Send(WM_MOUSEMOVE, MK_LBUTTON, x, y); }
    void Release(int x, int y) { Send(WM_LBUTTONUP, 0, x, y); }
    // A wheel notch over a client point; up is away from the user.
    void Wheel(int x, int y, bool up) {
        POINT point = {x, y};
        ClientToScreen(window.Handle(), &point);
        Send(WM_MOUSEWHEEL, MAKEWPARAM(0, up ? WHEEL_DELTA : -WHEEL_DELTA), point.x, point.y);
    }

    UiTestWindow window{260, 120};
    controltest::NotifyLog log;
    CSliderUI* hor = nullptr;  // owned by the tree
    CSliderUI* ver = nullptr;  // owned by the tree
};

TEST_F(SliderTest, APressSetsTheValueUnderThePointAndTheReleaseReportsIt) {
    const struct {
        int x;
        int value;
    } cases[] = {{110, 52}, {3, 0}, {207, 100}, {5, 0}, {6, 0}, {7, 1}, {205, 100}, {204, 99}};
    for (const auto& item : cases) {
        SCOPED_TRACE(item.x);
        hor->SetValue(50);
        log.entries.clear();
        Press(item.x, 10);
        EXPECT_EQ(item.value, hor->Value());
        EXPECT_TRUE(log.entries.empty()) << "nothing before the release";
        EXPECT_EQ(UINT{CSliderUI::ThumbCaptured}, hor->ThumbState() & CSliderUI::ThumbCaptured);
        Release(item.x, 10);
        EXPECT_EQ(item.value, hor->Value());
        EXPECT_EQ(Log{L"valuechanged:hor"}, log.entries);
        EXPECT_EQ(0u, hor->ThumbState() & CSliderUI::ThumbCaptured);
    }
}

TEST_F(SliderTest, DraggingFollowsThePointerAndTellsOfMovesOnlyWhenAsked) {
    for (bool sendMove : {false, true}) {
        SCOPED_TRACE(sendMove);
        hor->SetSendMove(sendMove);
        hor->SetValue(0);
        log.entries.clear();
        Press(5, 10);
        Drag(110, 10);
        EXPECT_EQ(52, hor->Value());
        Drag(300, 10);
        EXPECT_EQ(100, hor->Value()) << "the pointer may leave the slider while dragging";
        Release(60, 10);
        EXPECT_EQ(27, hor->Value());
        const Log expected = sendMove ? Log{L"movevaluechanged:hor", L"movevaluechanged:hor", L"valuechanged:hor"}
                                      : Log{L"valuechanged:hor"};
        EXPECT_EQ(expected, log.entries);
    }
    // A move without a press changes nothing.
    log.entries.clear();
    Send(WM_MOUSEMOVE, 0, 150, 10);
    EXPECT_EQ(27, hor->Value());
    EXPECT_TRUE(log.entries.empty());
}

TEST_F(SliderTest, AVerticalSliderGrowsUpwardsAndAReleaseAboveItSetsTheMaximum) {
    // Track from y 15 to 105 inside the rectangle 10..110.
    Press(240, 60);
    EXPECT_EQ(50, ver->Value());
    Drag(240, 108);
    EXPECT_EQ(0, ver->Value());
    Release(240, 2);
    EXPECT_EQ(100, ver->Value());
    EXPECT_EQ(Log{L"valuechanged:ver"}, log.entries);
    EXPECT_EQ(CUiRect(235, 10, 245, 20), ver->ThumbRect());
    ver->SetValue(0);
    EXPECT_EQ(CUiRect(235, 100, 245, 110), ver->ThumbRect());
}

TEST_F(SliderTest, EachWheelNotchStepsAndReportsEvenAtTheEnds) {
    hor->ApplyAttributeList(L"step=\"30\"");
    hor->SetValue(40);
    const struct {
        bool up;
        int value;
    } notches[] = {{true, 70}, {true, 100}, {true, 100}, {false, 70}};
    for (const auto& notch : notches) {
        Wheel(100, 10, notch.up);
        EXPECT_EQ(notch.value, hor->Value());
    }
    EXPECT_EQ(Log(4, L"valuechanged:hor"), log.entries);
    hor->SetValue(10);
    Wheel(100, 10, false);
    EXPECT_EQ(10, hor->Value()) << "below the minimum: ignored";
}

TEST_F(SliderTest, TheThumbShowsItsStateAtItsPlace) {
    ASSERT_TRUE(testpng::WriteSolid(L"thumb.png", 4, 4, 0xFF0000FF));
    ASSERT_TRUE(testpng::WriteSolid(L"thumbhot.png", 4, 4, 0xFF00FF00));
    ASSERT_TRUE(testpng::WriteSolid(L"thumbpushed.png", 4, 4, 0xFFFF0000));
    hor->ApplyAttributeList(L"thumbimage=\"thumb.png\" thumbhotimage=\"thumbhot.png\" "
                            L"thumbpushedimage=\"thumbpushed.png\" thumbsize=\"20,10\" value=\"50\"");
    ASSERT_EQ(CUiRect(95, 5, 115, 15), hor->ThumbRect());
    const auto look = [&](int x) {
        window.Repaint();
        return window.OffscreenPixel(x, 10) & 0xFFFFFF;
    };
    EXPECT_EQ(0x0000FFu, look(105));
    EXPECT_NE(0x0000FFu, look(90)) << "nothing outside the thumb";
    Send(WM_MOUSEMOVE, 0, 105, 10);
    EXPECT_EQ(0x00FF00u, look(105)) << "hot";
    Press(105, 10);
    EXPECT_EQ(0xFF0000u, look(105)) << "pushed";
    Release(105, 10);
    Send(WM_MOUSEMOVE, 0, 30, 10);
    EXPECT_EQ(0x0000FFu, look(105)) << "neither";
    Send(WM_MOUSEMOVE, 0, 105, 10);
    hor->SetEnabled(false);
    EXPECT_EQ(0u, hor->ThumbState());
    EXPECT_EQ(0x0000FFu, look(105));
}

TEST_F(SliderTest, ADisabledSliderIgnoresThePointerAndTheWheel) {
    hor->SetValue(50);
    hor->SetEnabled(false);
    Press(150, 10);
    Drag(20, 10);
    Release(20, 10);
    Wheel(100, 10, true);
    EXPECT_EQ(50, hor->Value());
    EXPECT_TRUE(log.entries.empty());
}

TEST_F(SliderTest, AnEmptyRangeOrATrackNoLongerThanTheThumbDoesNoHarm) {
    const struct {
        const wchar_t* attributes;
        int pressed;
    } cases[] = {
        {L"min=\"40\" max=\"40\" value=\"40\"", 40},
        {L"min=\"0\" max=\"100\" thumbsize=\"210,10\"", 100},
        {L"min=\"0\" max=\"100\" thumbsize=\"400,10\"", 100},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(item.attributes)));
        hor->ApplyAttributeList(item.attributes);
        Press(105, 10);
        Drag(150, 10);
        Release(105, 10);
        EXPECT_EQ(item.pressed, hor->Value());
        EXPECT_EQ(0, hor->ThumbRect().left);
        window.Repaint();
    }
}

TEST(SliderMarkupTest, TheBuilderMakesSlidersWithTheirAttributes) {
    CLayoutBuilder builder;
    std::unique_ptr<CControlUI> control(builder.Build(
        L"<Window><Slider hor=\"false\" thumbsize=\"12,8\" step=\"7\" sendmove=\"TRUE\" value=\"3\"/></Window>"));
    auto* slider = static_cast<CSliderUI*>(control ? control->CastTo(L"Slider") : nullptr);
    ASSERT_NE(nullptr, slider);
    EXPECT_NE(nullptr, slider->CastTo(L"progress"));
    EXPECT_FALSE(slider->IsHorizontal());
    EXPECT_EQ(CUiSize(12, 8), slider->ThumbSize());
    EXPECT_EQ(7, slider->Step());
    EXPECT_TRUE(slider->SendsMove());
    EXPECT_EQ(3, slider->Value());
    EXPECT_EQ(UINT{DT_SINGLELINE | DT_CENTER}, slider->TextStyle());
}

}  // namespace
