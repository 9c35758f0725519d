#include "FadeButtonUI.h"
#include "PaintManagerUI.h"
#include "TestCanvas.h"
#include "TestControls.h"
#include "TestPng.h"
#include "UiControlTestHelpers.h"
#include "UiTestWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace Orvel;
using controltest::Send;

namespace {

constexpr POINT kInside = {20, 20};

// Logs what the animation reports ("start 1 first", "step 2", "stop 1").
class AnimatedControl : public CControlUI, public CUIAnimation {
public:
    AnimatedControl() : CUIAnimation(this) {}

    void OnAnimationStart(int id, bool firstLoop) override {
        log.push_back("start " + std::to_string(id) + (firstLoop ? " first" : ""));
    }
    void OnAnimationStep(int total, int frame, int) override {
        log.push_back("step " + std::to_string(frame) + "/" + std::to_string(total));
    }
    void OnAnimationStop(int id) override { log.push_back("stop " + std::to_string(id)); }

    std::vector<std::string> log;
};

// The window runs the timers but is never shown, and nothing pumps its
// messages: the tests tick the animations themselves.
class AnimationTest : public ::testing::Test {
protected:
    AnimationTest() { window.Manager().BindControls(&control); }

    void Tick(int id, int times) {
        for (int i = 0; i < times; ++i) {
            control.OnAnimationTimer(id);
        }
    }

    UiTestWindow window;
    AnimatedControl control;
};

TEST_F(AnimationTest, FramesRunFromZeroToTheTotalThenStopOrLoopFromOne) {
    const struct {
        int frames;
        bool loop;
        int ticks;
        std::vector<std::string> log;
        int frameAfter;
    } cases[] = {
        {3, false, 6, {"start 1 first", "step 0/3", "step 1/3", "step 2/3", "step 3/3", "stop 1"}, -1},
        {2, true, 6,
         {"start 1 first", "step 0/2", "step 1/2", "step 2/2", "stop 1", "step 1/2", "step 2/2", "stop 1", "step 1/2"},
         2},
    };
    for (const auto& item : cases) {
        control.log.clear();
        ASSERT_TRUE(control.StartAnimation(10, item.frames, 1, item.loop));
        Tick(1, item.ticks);
        EXPECT_EQ(item.log, control.log);
        EXPECT_EQ(item.frameAfter, control.CurrentFrame(1));
        control.StopAnimation(1);
        EXPECT_TRUE(window.Manager().StartTimer(&control, 1, 10)) << "the animation's timer was stopped";
        window.Manager().StopTimer(&control, 1);
    }
}

TEST_F(AnimationTest, StartingStoppingAndFramesAreChecked) {
    ASSERT_TRUE(control.StartAnimation(10, 5, 2));
    Tick(2, 2);
    EXPECT_FALSE(control.StartAnimation(20, 9, 2)) << "already running";
    EXPECT_EQ(2, control.CurrentFrame(2)) << "the running animation is left as it was";
    EXPECT_FALSE(control.StartAnimation(0, 5, 3));
    EXPECT_FALSE(control.StartAnimation(10, 0, 3));
    AnimatedControl detached;
    EXPECT_FALSE(detached.StartAnimation(10, 5, 1)) << "no manager to run a timer";

    for (int bad : {6, -1}) {
        EXPECT_FALSE(control.SetCurrentFrame(bad, 2));
    }
    EXPECT_FALSE(control.SetCurrentFrame(1, 7));
    ASSERT_TRUE(control.SetCurrentFrame(5, 2));
    control.log.clear();
    Tick(2, 1);
    EXPECT_EQ((std::vector<std::string>{"step 5/5", "stop 2"}), control.log);

    for (int id : {1, 2, 3}) {
        ASSERT_TRUE(control.StartAnimation(10, 5, id));
    }
    control.StopAnimation(2);
    EXPECT_TRUE(control.IsAnimationRunning(1) && !control.IsAnimationRunning(2) && control.IsAnimationRunning(3));
    control.StopAnimation(0);
    for (UINT id : {1u, 2u, 3u}) {
        EXPECT_FALSE(control.IsAnimationRunning(static_cast<int>(id)));
        EXPECT_TRUE(window.Manager().StartTimer(&control, id, 10)) << "timer " << id << " still running";
    }
}

// A fade button 40 x 40 fading from a red normal image to a blue hot one,
// painted on white.
class FadeButtonTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(testpng::WriteSolid(L"normal.png", 4, 4, 0xFFFF0000));
        ASSERT_TRUE(testpng::WriteSolid(L"hot.png", 4, 4, 0xFF0000FF));
        ASSERT_TRUE(testpng::WriteSolid(L"pushed.png", 4, 4, 0xFF00FF00));
    }

    FadeButtonTest() {
        window.Manager().AddNotifier(&notes);
        button.SetName(L"fade");
        button.ApplyAttributeList(L"normalimage=\"normal.png\" hotimage=\"hot.png\" pushedimage=\"pushed.png\"");
        window.Manager().BindControls(&button);
        button.Place({0, 0, 40, 40});
    }

    DWORD Look() {
        TestCanvas canvas(40, 40);
        button.Paint(canvas.Dc(), canvas.Bounds());
        return canvas.Rgb(20, 20);
    }

    void Tick(int id, int times) {
        for (int i = 0; i < times; ++i) {
            UiEvent event;
            event.type = UiEventType::Timer;
            event.wParam = static_cast<WPARAM>(id);
            button.HandleEvent(event);
        }
    }

    // Keeps the system timers out of the way of the ticks the test gives.
    void StopSystemTimers() {
        window.Manager().StopTimer(&button, CFadeButtonUI::FadeInId);
        window.Manager().StopTimer(&button, CFadeButtonUI::FadeOutId);
    }

    UiTestWindow window;
    NotifyLog notes;
    CFadeButtonUI button;
};

// What `over` drawn at `alpha` on `under` gives.
DWORD Blend(DWORD under, DWORD over, int alpha) {
    auto channel = [&](int shift) {
        const int a = (under >> shift) & 0xFF;
        const int b = (over >> shift) & 0xFF;
        return static_cast<DWORD>((b * alpha + a * (255 - alpha)) / 255) << shift;
    };
    return channel(16) | channel(8) | channel(0);
}

TEST_F(FadeButtonTest, EnteringCrossFadesFromTheNormalToTheHotImage) {
    EXPECT_TRUE(NearRgb(0xFF0000, Look()));
    Send(button, UiEventType::MouseEnter, kInside);
    StopSystemTimers();
    ASSERT_TRUE(button.IsAnimationRunning(CFadeButtonUI::FadeInId));
    EXPECT_TRUE(NearRgb(0xFF0000, Look())) << "the first paint still shows the normal image";

    const struct {
        int ticks;  // in all, since entering
        int fade;
    } frames[] = {{1, 10}, {2, 8}, {16, 127}, {30, 246}};
    int given = 0;
    DWORD previous = Look();
    for (const auto& frame : frames) {
        for (; given < frame.ticks; ++given) {
            Tick(CFadeButtonUI::FadeInId, 1);
            const DWORD look = Look();
            // The first step shows fade 10, the second 8; from there it grows.
            if (given >= 2) {
                EXPECT_LE(BlueOf(previous), BlueOf(look) + 2) << "tick " << given + 1;
            }
            previous = look;
        }
        SCOPED_TRACE(frame.ticks);
        EXPECT_EQ(frame.fade, button.Fade());
        const DWORD expected = Blend(Blend(0xFFFFFF, 0xFF0000, 255 - frame.fade), 0x0000FF, frame.fade);
        EXPECT_TRUE(NearRgb(expected, Look(), 4)) << std::hex << Look() << " for " << expected;
    }
    Tick(CFadeButtonUI::FadeInId, 1);
    EXPECT_FALSE(button.IsAnimationRunning(CFadeButtonUI::FadeInId));
    EXPECT_TRUE(NearRgb(0x0000FF, Look())) << "the hot image stays";
    EXPECT_EQ(0, std::count(notes.log.begin(), notes.log.end(), L"mouseenter:fade"))
        << "entering is the fade's, not the button's hover";
    EXPECT_EQ(31, std::count(notes.log.begin(), notes.log.end(), L"timer:fade"));
}

TEST_F(FadeButtonTest, WhileFadingInEnteringIsTheButtonsAndLeavingFadesBackFromZero) {
    Send(button, UiEventType::MouseEnter, kInside);
    StopSystemTimers();
    Look();
    Send(button, UiEventType::MouseEnter, kInside);
    EXPECT_EQ(std::vector<std::wstring>{L"mouseenter:fade"}, notes.log) << "entering again is the button's hover";
    Tick(CFadeButtonUI::FadeInId, 10);
    Send(button, UiEventType::MouseLeave, {100, 100});
    StopSystemTimers();
    EXPECT_FALSE(button.IsAnimationRunning(CFadeButtonUI::FadeInId));
    EXPECT_TRUE(button.IsAnimationRunning(CFadeButtonUI::FadeOutId));
    EXPECT_EQ(0, button.Fade());
    EXPECT_TRUE(NearRgb(0x0000FF, Look())) << "the first paint after leaving shows the hot image";
    Tick(CFadeButtonUI::FadeOutId, 16);
    const DWORD expected = Blend(Blend(0xFFFFFF, 0x0000FF, 255 - 127), 0xFF0000, 127);
    EXPECT_TRUE(NearRgb(expected, Look(), 4)) << std::hex << Look();
    Tick(CFadeButtonUI::FadeOutId, 15);
    EXPECT_FALSE(button.IsAnimationRunning(CFadeButtonUI::FadeOutId));
    EXPECT_TRUE(NearRgb(0xFF0000, Look()));
}

TEST_F(FadeButtonTest, TheWindowsTimerAndPaintsRunTheWholeFade) {
    UiTestWindow window(40, 40);
    auto* button = new CFadeButtonUI();
    button->ApplyAttributeList(L"normalimage=\"normal.png\" hotimage=\"hot.png\"");
    window.Manager().AttachRoot(button);
    window.Show();
    EXPECT_TRUE(NearRgb(0xFF0000, window.OffscreenPixel(20, 20)));
    Send(*button, UiEventType::MouseEnter, kInside);
    std::vector<DWORD> looks;
    EXPECT_TRUE(UiTestWindow::PumpUntil([&] {
        looks.push_back(window.OffscreenPixel(20, 20));
        return !button->IsAnimationRunning(CFadeButtonUI::FadeInId);
    }));
    EXPECT_EQ(255, button->Fade());
    window.Repaint();
    EXPECT_TRUE(NearRgb(0x0000FF, window.OffscreenPixel(20, 20)));
    const auto between = std::count_if(looks.begin(), looks.end(), [](DWORD look) {
        return RedOf(look) > 40 && RedOf(look) < 215 && BlueOf(look) > 40 && BlueOf(look) < 215;
    });
    EXPECT_GT(between, 0) << "some paints show both images at once";
}

TEST_F(FadeButtonTest, WithoutANormalImageOnlyStateImagesDraw) {
    button.SetNormalImage(L"");
    Send(button, UiEventType::MouseEnter, kInside);
    StopSystemTimers();
    Tick(CFadeButtonUI::FadeInId, 10);
    EXPECT_EQ(0xFFFFFFu, Look()) << "no fade without a normal image";
    Send(button, UiEventType::ButtonDown, kInside);
    EXPECT_TRUE(NearRgb(0x00FF00, Look())) << "pushed";
}

}  // namespace
