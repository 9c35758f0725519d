// A press on a control that follows the pointer until release, on a real
// window, and then the mouse capture goes elsewhere (Alt+Tab, a dialog, the
// system cancelling the press): the press ends there, with no state left.
#include "ButtonUI.h"
#include "LayoutBuilder.h"
#include "PaintManagerUI.h"
#include "ScrollBarUI.h"
#include "SliderUI.h"
#include "TestWindow.h"
#include "UiControlTestHelpers.h"
#include "UiTestWindow.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace Orvel;
using controltest::NotifyLog;

namespace {

enum class Loss { ReleasedBySomeoneElse, CancelMode, TakenByAnotherWindow };

struct PressCase {
    const char* what;
    const wchar_t* control;  // markup of the control named "c", left in a horizontal layout
    POINT press;
    POINT later;  // a move after the capture is gone
    // What the press left after the loss and the move.
    std::function<void(CControlUI& control, CPaintManagerUI& manager, const NotifyLog& log)> check;
};

const PressCase kPresses[] = {
    {"a button", L"<Button name=\"c\" width=\"100\"/>", {50, 20}, {60, 20},
     [](CControlUI& control, CPaintManagerUI&, const NotifyLog& log) {
         EXPECT_EQ(0u, static_cast<CButtonUI&>(control).State() & (CButtonUI::StatePushed | CButtonUI::StateCaptured));
         EXPECT_TRUE(log.Of(L"click").empty());
     }},
    {"the track of a scroll bar", L"<ScrollBar name=\"c\" width=\"16\" range=\"1000\"/>", {8, 80}, {8, 90},
     [](CControlUI& control, CPaintManagerUI& manager, const NotifyLog&) {
         const auto& bar = static_cast<CScrollBarUI&>(control);
         EXPECT_EQ(120, bar.ScrollPos()) << "one page at the press, no more";
         EXPECT_FALSE(manager.StopTimer(&control, CScrollBarUI::kRepeatTimerId)) << "the repeat timer stopped";
     }},
    {"the thumb of a scroll bar", L"<ScrollBar name=\"c\" width=\"16\" range=\"1000\"/>", {8, 20}, {8, 100},
     [](CControlUI& control, CPaintManagerUI& manager, const NotifyLog&) {
         const auto& bar = static_cast<CScrollBarUI&>(control);
         EXPECT_EQ(0u, bar.ThumbState() & (CScrollBarUI::StateCaptured | CScrollBarUI::StatePushed));
         EXPECT_EQ(0, bar.ScrollPos());
         EXPECT_FALSE(manager.StopTimer(&control, CScrollBarUI::kRepeatTimerId));
     }},
    {"a slider", L"<Slider name=\"c\" width=\"210\" height=\"40\"/>", {110, 20}, {200, 20},
     [](CControlUI& control, CPaintManagerUI&, const NotifyLog& log) {
         const auto& slider = static_cast<CSliderUI&>(control);
         EXPECT_EQ(52, slider.Value()) << "set by the press, not by the move after it";
         EXPECT_EQ(0u, slider.ThumbState() & CSliderUI::ThumbCaptured);
         EXPECT_EQ(1u, log.Of(L"valuechanged").size()) << "the value the press left is told";
     }},
};

TEST(MouseCaptureLossTest, APressEndsWhenTheCaptureGoesElsewhere) {
    TestWindow other([](UINT, WPARAM, LPARAM) { return false; });
    for (const PressCase& press : kPresses) {
        for (Loss loss : {Loss::ReleasedBySomeoneElse, Loss::CancelMode, Loss::TakenByAnotherWindow}) {
            SCOPED_TRACE(testing::Message() << press.what << ", loss " << static_cast<int>(loss));
            UiTestWindow window{240, 120};
            CPaintManagerUI& manager = window.Manager();
            const std::wstring skin =
                std::wstring(L"<Window><HorizontalLayout>") + press.control + L"<Control/></HorizontalLayout></Window>";
            CLayoutBuilder builder;
            ASSERT_TRUE(manager.AttachRoot(builder.Build(skin.c_str(), nullptr, nullptr, &manager)));
            NotifyLog log;
            manager.AddNotifier(&log);
            window.Show();
            CControlUI* control = manager.ControlByName(L"c");
            ASSERT_NE(nullptr, control);

            SendMessageW(window.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(press.press.x, press.press.y));
            ASSERT_EQ(control, manager.PressedControl());
            ASSERT_EQ(window.Handle(), GetCapture());
            switch (loss) {
            case Loss::ReleasedBySomeoneElse:
                ReleaseCapture();
                break;
            case Loss::CancelMode:
                SendMessageW(window.Handle(), WM_CANCELMODE, 0, 0);
                break;
            case Loss::TakenByAnotherWindow:
                SetCapture(other.Handle());
                break;
            }
            EXPECT_EQ(nullptr, manager.PressedControl());
            EXPECT_FALSE(manager.IsCaptured());
            SendMessageW(window.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(press.later.x, press.later.y));
            SendMessageW(window.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(press.later.x, press.later.y));
            press.check(*control, manager, log);
            ReleaseCapture();
            manager.RemoveNotifier(&log);
        }
    }
}

// Releasing the capture itself, as every release does, ends no press early.
TEST(MouseCaptureLossTest, TheWindowsOwnReleaseStillClicks) {
    UiTestWindow window{240, 120};
    CLayoutBuilder builder;
    ASSERT_TRUE(window.Manager().AttachRoot(builder.Build(
        L"<Window><HorizontalLayout><Button name=\"c\" width=\"100\"/></HorizontalLayout></Window>", nullptr,
        nullptr, &window.Manager())));
    NotifyLog log;
    window.Manager().AddNotifier(&log);
    window.Show();
    SendMessageW(window.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 20));
    SendMessageW(window.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 20));
    SendMessageW(window.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(50, 20));
    EXPECT_EQ(1u, log.Of(L"click").size());
    EXPECT_EQ(nullptr, GetCapture());
    window.Manager().RemoveNotifier(&log);
}

}  // namespace
