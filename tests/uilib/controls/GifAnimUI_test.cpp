// The GIF control on a real window, with the GIFs its fixture writes: 16 x 16
// frames of one colour each; anim.gif is red for 10, green for 0 and blue
// for 50 hundredths of a second.
#include "GifAnimUI.h"
#include "LayoutBuilder.h"
#include "PaintManagerUI.h"
#include "TestControls.h"
#include "TestEnv.h"
#include "UiControlTestHelpers.h"
#include "UiTestWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Orvel;

namespace {

constexpr DWORD kRed = 0xFF0000;
constexpr DWORD kGreen = 0x00FF00;
constexpr DWORD kBlue = 0x0000FF;
constexpr DWORD kYellow = 0xFFFF00;

class GifAnimTest : public ::testing::Test {
protected:
    // The control fills the window, inside a container so that it is
    // initialised when the tree is attached.
    void Open(const wchar_t* attributes) {
        auto* root = new TestContainer(L"root");
        gif = root->Add(new CGifAnimUI(), {0, 0, 48, 32});
        gif->ApplyAttributeList(attributes);
        ASSERT_TRUE(window.Manager().AttachRoot(root));
        window.Show();
    }

    // The colour the window shows after a fresh paint (0 when nothing drew).
    DWORD Shown() {
        window.Repaint();
        return window.OffscreenPixel(24, 16) & 0xFFFFFF;
    }

    // One tick of the frame timer, as the window's timer message brings it.
    void Tick() {
        UiEvent event;
        event.type = UiEventType::Timer;
        event.sender = gif;
        event.wParam = CGifAnimUI::kFrameTimerId;
        gif->HandleEvent(event);
    }

    // Stopping a running frame timer is the one way to see that it ran; a
    // test ends with it.
    bool TimerRan() { return window.Manager().StopTimer(gif, CGifAnimUI::kFrameTimerId); }

    UiTestWindow window{48, 32};
    CGifAnimUI* gif = nullptr;  // owned by the tree
};

TEST_F(GifAnimTest, EachFrameStaysUpForItsOwnDelay) {
    Open(L"bkimage=\"anim.gif\"");
    ASSERT_TRUE(gif->IsLoaded()) << "loaded when the tree was attached";
    ASSERT_EQ(3u, gif->FrameCount());
    EXPECT_TRUE(gif->IsPlaying());
    EXPECT_EQ(100u, gif->FrameDelay(0));
    EXPECT_EQ(100u, gif->FrameDelay(1)) << "a delay of 0 stands for 100 ms";
    EXPECT_EQ(500u, gif->FrameDelay(2));

    const DWORD colours[] = {kRed, kGreen, kBlue, kRed};
    for (UINT step = 0; step < 4; ++step) {
        SCOPED_TRACE(step);
        EXPECT_EQ(step % 3, gif->CurrentFrame());
        EXPECT_EQ(colours[step], Shown()) << std::hex << Shown();
        Tick();
    }

    // The window's own timer steps the frames as well (now at a 100 ms one).
    const UINT before = gif->CurrentFrame();
    EXPECT_TRUE(UiTestWindow::PumpUntil([&] { return gif->CurrentFrame() != before; }, 2000));
    EXPECT_TRUE(TimerRan());
}

TEST_F(GifAnimTest, HidingStopsAndRewindsAndShowingPlaysFromTheStart) {
    Open(L"bkimage=\"anim.gif\"");
    Tick();
    Tick();
    ASSERT_EQ(2u, gif->CurrentFrame());
    gif->SetVisible(false);
    EXPECT_FALSE(gif->IsPlaying());
    EXPECT_EQ(0u, gif->CurrentFrame());
    EXPECT_FALSE(TimerRan());

    gif->SetVisible(true);
    EXPECT_TRUE(gif->IsPlaying());
    EXPECT_EQ(kRed, Shown()) << "the first frame, not the one shown before hiding";
    EXPECT_TRUE(TimerRan());
}

TEST_F(GifAnimTest, ANewFileStopsThePlayAndLoadsAtTheNextPaint) {
    Open(L"bkimage=\"anim.gif\"");
    Tick();
    gif->SetFile(L"pair.gif");
    EXPECT_FALSE(gif->IsPlaying());
    EXPECT_FALSE(gif->IsLoaded());
    EXPECT_FALSE(TimerRan());
    EXPECT_EQ(kYellow, Shown());
    EXPECT_EQ(2u, gif->FrameCount());
    EXPECT_EQ(200u, gif->FrameDelay(1));
    EXPECT_TRUE(gif->IsPlaying()) << "auto play";

    // One frame is a still image: nothing to step.
    gif->SetFile(L"still.gif");
    EXPECT_EQ(kYellow, Shown());
    EXPECT_EQ(1u, gif->FrameCount());
    EXPECT_FALSE(gif->IsPlaying());
    EXPECT_FALSE(TimerRan());
}

TEST_F(GifAnimTest, MissingOrBrokenFilesDrawNothingAndNeverStartTheTimer) {
    for (const wchar_t* attributes : {L"bkimage=\"nosuch.gif\"", L"bkimage=\"broken.gif\""}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(attributes)));
        Open(attributes);
        EXPECT_EQ(0u, Shown());
        EXPECT_FALSE(gif->IsLoaded());
        gif->Play();
        Tick();
        EXPECT_FALSE(gif->IsPlaying());
        EXPECT_FALSE(TimerRan());
    }
}

// Reading and decoding a file that failed once would otherwise run again at
// every paint; only another name tries again.
TEST_F(GifAnimTest, AFileThatFailedIsNotReadAgainAtEveryPaint) {
    const std::wstring folder = testenv::TempDir() + L"\\";
    const std::string good = testenv::ReadFileBytes(folder + L"anim.gif");
    ASSERT_FALSE(good.empty());
    const struct {
        const char* what;
        const wchar_t* name;
        const char* bytes;  // null: no file at first
    } cases[] = {{"missing", L"late.gif", nullptr}, {"broken", L"mended.gif", "GIF89a broken"}};
    for (const auto& item : cases) {
        SCOPED_TRACE(item.what);
        if (item.bytes != nullptr) {
            ASSERT_TRUE(testenv::WriteFileBytes(folder + item.name, item.bytes));
        }
        Open((std::wstring(L"bkimage=\"") + item.name + L"\"").c_str());
        EXPECT_EQ(0u, Shown());
        ASSERT_TRUE(testenv::WriteFileBytes(folder + item.name, good));
        EXPECT_EQ(0u, Shown());
        EXPECT_FALSE(gif->IsLoaded());
        gif->SetFile(L"still.gif");
        gif->SetFile(item.name);
        EXPECT_EQ(kRed, Shown());
        EXPECT_TRUE(gif->IsLoaded());
    }
}

// Only the frame timer is the GIF's own: other events are the base
// control's, and showing the control plays it only with auto play.
TEST_F(GifAnimTest, OtherEventsReachTheBaseAndShowingHonoursAutoPlay) {
    Open(L"bkimage=\"anim.gif\" autoplay=\"false\" menu=\"true\" name=\"g\"");
    controltest::NotifyLog log;
    window.Manager().AddNotifier(&log);
    UiEvent event;
    event.type = UiEventType::ContextMenu;
    gif->HandleEvent(event);
    event.type = UiEventType::Timer;
    event.wParam = 5;
    gif->HandleEvent(event);
    EXPECT_EQ((std::vector<std::wstring>{L"menu:g", L"timer:g"}), log.entries);
    window.Manager().RemoveNotifier(&log);

    EXPECT_FALSE(gif->IsPlaying());
    gif->SetVisible(false);
    gif->SetVisible(true);
    EXPECT_FALSE(gif->IsPlaying());
    EXPECT_FALSE(TimerRan());
}

TEST_F(GifAnimTest, MarkupSetsTheFileAutoSizeAndAutoPlay) {
    CLayoutBuilder builder;
    CControlUI* root = builder.Build(
        L"<Window><Container><GifAnim name=\"g\" bkimage=\"anim.gif\" autosize=\"true\" autoplay=\"false\"/>"
        L"</Container></Window>",
        nullptr, nullptr, &window.Manager());
    ASSERT_NE(nullptr, root);
    ASSERT_TRUE(window.Manager().AttachRoot(root));
    gif = static_cast<CGifAnimUI*>(window.Manager().ControlByName(L"g"));
    ASSERT_NE(nullptr, gif);
    ASSERT_NE(nullptr, gif->CastTo(L"GifAnim"));
    EXPECT_TRUE(gif->IsLoaded());
    EXPECT_EQ(16, gif->FixedWidth());
    EXPECT_EQ(16, gif->FixedHeight());
    EXPECT_FALSE(gif->IsPlaying());
    Tick();
    EXPECT_EQ(0u, gif->CurrentFrame()) << "a stray tick steps no stopped animation";
    EXPECT_FALSE(TimerRan());
    gif->Play();
    EXPECT_TRUE(TimerRan());
}

}  // namespace
