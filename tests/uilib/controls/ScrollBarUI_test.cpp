// The scroll bar standing alone (events handed to it as the paint manager
// would, timer ticks counted one by one) and as a vertical layout's bar in
// a real window, driven through window messages.
#include "PaintManagerUI.h"
#include "ScrollBarUI.h"
#include "TestCanvas.h"
#include "TestPng.h"
#include "TestWindow.h"
#include "UiControlTestHelpers.h"
#include "UiFontInfo.h"
#include "UiTestWindow.h"
#include "VerticalLayoutUI.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Orvel;
using controltest::NotifyLog;
using controltest::RectText;
using controltest::Send;
using Strings = std::vector<std::wstring>;

namespace {

struct GeometryCase {
    const char* what;
    const wchar_t* attributes;
    RECT place;
    RECT button1;
    RECT button2;
    RECT thumb;
};

// Worked out by hand: the thumb is (length x track / (length + range)) long,
// at least a button long, and travels the track less its own length.
const GeometryCase kGeometry[] = {
    {"at the start", L"", {0, 0, 16, 200}, {0, 0, 16, 16}, {0, 184, 16, 200}, {0, 16, 16, 128}},
    {"at the end", L"value=\"100\"", {0, 0, 16, 200}, {0, 0, 16, 16}, {0, 184, 16, 200}, {0, 72, 16, 184}},
    {"no room for a thumb: the buttons share the length", L"", {0, 0, 16, 20}, {0, 0, 16, 10}, {0, 10, 16, 20},
     {0, 0, 0, 0}},
    {"range 0: the thumb fills the track", L"range=\"0\"", {0, 0, 16, 200}, {0, 0, 16, 16}, {0, 184, 16, 200},
     {0, 16, 16, 184}},
    {"a long range keeps a thumb as long as a button", L"range=\"10000\" value=\"5000\"", {0, 0, 16, 200},
     {0, 0, 16, 16}, {0, 184, 16, 200}, {0, 92, 16, 108}},
    {"horizontal", L"hor=\"true\" value=\"50\"", {0, 0, 200, 16}, {0, 0, 16, 16}, {184, 0, 200, 16},
     {44, 0, 156, 16}},
    {"without a first button", L"showbutton1=\"false\"", {0, 0, 16, 200}, {0, 0, 0, 0}, {0, 184, 16, 200},
     {0, 0, 16, 122}},
};

TEST(ScrollBarGeometryTest, ButtonsAndThumbFollowRangeAndPosition) {
    for (const GeometryCase& c : kGeometry) {
        SCOPED_TRACE(c.what);
        CScrollBarUI bar;
        bar.ApplyAttributeList(c.attributes);
        bar.Place(c.place);
        EXPECT_EQ(RectText(c.button1), RectText(bar.Button1Rect()));
        EXPECT_EQ(RectText(c.button2), RectText(bar.Button2Rect()));
        EXPECT_EQ(RectText(c.thumb), RectText(bar.ThumbRect()));
    }
}

TEST(ScrollBarGeometryTest, PositionStaysWithinTheRange) {
    CScrollBarUI bar;
    bar.SetScrollPos(-5);
    EXPECT_EQ(0, bar.ScrollPos());
    bar.SetScrollPos(50);
    bar.SetScrollRange(10);
    EXPECT_EQ(10, bar.ScrollPos());
    bar.SetScrollRange(-3);
    EXPECT_EQ(0, bar.ScrollRange());
    EXPECT_EQ(0, bar.ScrollPos());
    EXPECT_EQ(16, bar.FixedWidth());
    bar.SetHorizontal(true);
    EXPECT_EQ(0, bar.FixedWidth());
    EXPECT_EQ(16, bar.FixedHeight());
    EXPECT_EQ(&bar, bar.CastTo(L"scrollbar"));
}

// A bar 16 x 200 standing alone in a (hidden) window, so that its repeat
// timer can be started; ticks are handed to it one at a time.
class StandaloneBarTest : public ::testing::Test {
protected:
    StandaloneBarTest() : window([](UINT, WPARAM, LPARAM) { return false; }) {
        manager.Attach(window.Handle(), L"bar");
        manager.AddNotifier(&log);
        bar.SetName(L"bar");
        manager.BindControls(&bar);
        bar.Place({0, 0, 16, 200});
    }
    ~StandaloneBarTest() override { SetCursorPos(1200, 1000); }

    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            UiEvent event;
            event.type = UiEventType::Timer;
            event.sender = &bar;
            event.wParam = CScrollBarUI::kRepeatTimerId;
            bar.HandleEvent(event);
        }
    }
    size_t Scrolls() const { return log.Of(L"scroll").size(); }

    TestWindow window;
    CPaintManagerUI manager;
    NotifyLog log;
    CScrollBarUI bar;
};

TEST_F(StandaloneBarTest, AHeldButtonStepsAtOnceThenRepeatsFromTheSixthTick) {
    bar.SetLineSize(8);
    bar.SetScrollPos(20);
    Send(bar, UiEventType::ButtonDown, {8, 8});
    EXPECT_EQ(12, bar.ScrollPos());
    EXPECT_EQ((Strings{L"bar:0:0"}), log.Of(L"scroll"));
    EXPECT_TRUE(bar.Button1State() & CScrollBarUI::StatePushed);
    EXPECT_FALSE(manager.StartTimer(&bar, CScrollBarUI::kRepeatTimerId, 50)) << "the repeat timer runs already";

    Tick(5);
    EXPECT_EQ(12, bar.ScrollPos());
    Tick();
    EXPECT_EQ(4, bar.ScrollPos());
    Tick();
    EXPECT_EQ(0, bar.ScrollPos());
    Tick();
    EXPECT_EQ(3u, Scrolls()) << "a step that changes nothing sends nothing";

    Send(bar, UiEventType::ButtonUp, {8, 8});
    EXPECT_EQ(0u, bar.Button1State());
    EXPECT_FALSE(manager.StopTimer(&bar, CScrollBarUI::kRepeatTimerId)) << "stopped on release";

    Send(bar, UiEventType::ButtonDown, {8, 190});
    EXPECT_EQ(8, bar.ScrollPos());
    Send(bar, UiEventType::ButtonUp, {8, 190});
}

TEST_F(StandaloneBarTest, TheThumbFollowsTheDragOnTicksAndOnRelease) {
    // Thumb 16..128: it travels 200 - 2 x 16 - 112 = 56 pixels for a range of 100.
    Send(bar, UiEventType::ButtonDown, {8, 50});
    EXPECT_EQ(CScrollBarUI::StateCaptured | CScrollBarUI::StatePushed, bar.ThumbState());
    Send(bar, UiEventType::MouseMove, {8, 78});
    EXPECT_EQ(0, bar.ScrollPos()) << "the tick applies the drag";
    Tick();
    EXPECT_EQ(50, bar.ScrollPos());
    EXPECT_EQ(RectText({0, 44, 16, 156}), RectText(bar.ThumbRect()));
    Send(bar, UiEventType::MouseMove, {8, 400});
    Send(bar, UiEventType::ButtonUp, {8, 400});
    EXPECT_EQ(100, bar.ScrollPos()) << "the last move counts without waiting for a tick";
    EXPECT_EQ(0u, bar.ThumbState() & (CScrollBarUI::StateCaptured | CScrollBarUI::StatePushed));
    EXPECT_EQ(3u, Scrolls()) << "press, tick, release";

    bar.SetScrollRange(0);
    Send(bar, UiEventType::ButtonDown, {8, 100});
    Send(bar, UiEventType::MouseMove, {8, 150});
    Tick();
    EXPECT_EQ(0, bar.ScrollPos()) << "a thumb filling the track has no room to move";
    Send(bar, UiEventType::ButtonUp, {8, 150});
}

TEST_F(StandaloneBarTest, AHeldTrackPagesTowardsTheCursorUntilTheThumbReachesIt) {
    // Range 1000: the thumb is 28 long and moves 14 pixels a page of 200.
    bar.SetScrollRange(1000);
    POINT cursor = {8, 150};
    ClientToScreen(window.Handle(), &cursor);
    SetCursorPos(cursor.x, cursor.y);
    Send(bar, UiEventType::ButtonDown, {8, 150});
    EXPECT_EQ(200, bar.ScrollPos());
    Tick(5);
    EXPECT_EQ(200, bar.ScrollPos());
    std::vector<int> positions;
    for (int i = 0; i < 4; ++i) {
        Tick();
        positions.push_back(bar.ScrollPos());
    }
    EXPECT_EQ((std::vector<int>{400, 600, 800, 800}), positions) << "the thumb 128..156 covers the cursor";
    Send(bar, UiEventType::ButtonUp, {8, 150});
    Send(bar, UiEventType::ButtonDown, {8, 20});
    EXPECT_EQ(600, bar.ScrollPos()) << "above the thumb pages back";
    Send(bar, UiEventType::ButtonUp, {8, 20});
}

TEST_F(StandaloneBarTest, ADisabledBarIgnoresPresses) {
    Send(bar, UiEventType::MouseEnter, {8, 8});
    bar.SetEnabled(false);
    EXPECT_EQ(0u, bar.Button1State() | bar.Button2State() | bar.ThumbState());
    Send(bar, UiEventType::ButtonDown, {8, 190});
    Send(bar, UiEventType::ButtonUp, {8, 190});
    EXPECT_EQ(0, bar.ScrollPos());
    EXPECT_EQ(0u, Scrolls());
    EXPECT_TRUE(manager.StartTimer(&bar, 99, 1000)) << "sanity: timers work in this window";
    EXPECT_FALSE(manager.StopTimer(&bar, CScrollBarUI::kRepeatTimerId)) << "no repeat timer was started";
}

TEST_F(StandaloneBarTest, EachPartShowsTheImageOfItsState) {
    const struct {
        const wchar_t* file;
        DWORD argb;
    } images[] = {{L"bk.png", 0xFF303030},   {L"bkoff.png", 0xFF707070}, {L"b1.png", 0xFFFF0000},
                  {L"b1off.png", 0xFFA0A0A0}, {L"b2.png", 0xFF00FF00},    {L"b2hot.png", 0xFFFF00FF},
                  {L"thumb.png", 0xFF0000FF}, {L"thumbdown.png", 0xFF00FFFF}, {L"rail.png", 0xFFFFFF00}};
    for (const auto& image : images) {
        ASSERT_TRUE(testpng::WriteSolid(image.file, 4, 4, image.argb));
    }
    bar.ApplyAttributeList(
        L"bknormalimage=\"bk.png\" bkdisabledimage=\"bkoff.png\" button1normalimage=\"b1.png\" "
        L"Button1DisabledImage=\"b1off.png\" button2normalimage=\"b2.png\" button2hotimage=\"b2hot.png\" "
        L"thumbnormalimage=\"thumb.png\" thumbpushedimage=\"thumbdown.png\" railnormalimage=\"rail.png\"");
    EXPECT_EQ(L"b1off.png", std::wstring(bar.Image(CScrollBarUI::Part::Button1, CScrollBarUI::Look::Disabled)));

    // Probes: first button, second button, thumb (clear of the grip mark), grip mark, track.
    auto look = [this] {
        TestCanvas canvas(16, 200);
        bar.Paint(canvas.Dc(), canvas.Bounds());
        return std::vector<DWORD>{canvas.Rgb(8, 8), canvas.Rgb(8, 192), canvas.Rgb(8, 20), canvas.Rgb(8, 72),
                                  canvas.Rgb(8, 150)};
    };
    EXPECT_EQ((std::vector<DWORD>{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x303030}), look()) << "normal";
    Send(bar, UiEventType::MouseEnter, {8, 100});
    EXPECT_EQ((std::vector<DWORD>{0xFF0000, 0xFF00FF, 0x0000FF, 0xFFFF00, 0x303030}), look())
        << "hot: a missing hot image falls back to the normal one";
    Send(bar, UiEventType::ButtonDown, {8, 20});
    EXPECT_EQ(0x00FFFFu, look()[2]) << "pushed thumb";
    Send(bar, UiEventType::ButtonUp, {8, 20});
    bar.SetEnabled(false);
    EXPECT_EQ((std::vector<DWORD>{0xA0A0A0, 0x00FF00, 0x0000FF, 0xFFFF00, 0x707070}), look()) << "disabled";
}

TEST_F(StandaloneBarTest, PartsWithoutImagesAreOutlined) {
    TestCanvas canvas(16, 200);
    bar.Paint(canvas.Dc(), canvas.Bounds());
    EXPECT_EQ(0xC6C7D2u, canvas.Rgb(0, 0)) << "first button";
    EXPECT_EQ(0xC6C7D2u, canvas.Rgb(15, 199)) << "second button";
    EXPECT_EQ(0xC6C7D2u, canvas.Rgb(0, 16)) << "thumb";
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(8, 150)) << "the track has no outline";
}

TEST(ContainerBarsTest, NewBarsTakeTheDefaultListThenTheStyle) {
    CPaintManagerUI manager;
    manager.AddDefaultAttributeList(L"VScrollBar", L"width=\"10\" linesize=\"4\"");
    manager.AddStyle(L"wide", L"width=\"20\"");
    CVerticalLayoutUI layout;
    manager.BindControls(&layout);
    layout.ApplyAttribute(L"vscrollbar", L"true");
    CScrollBarUI* vertical = layout.VerticalBar();
    ASSERT_NE(nullptr, vertical);
    EXPECT_EQ(&layout, vertical->Owner());
    EXPECT_EQ(&manager, vertical->Manager());
    EXPECT_EQ(10, vertical->FixedWidth());
    EXPECT_EQ(4, vertical->LineSize());
    layout.ApplyAttribute(L"vscrollbarstyle", L"wide");
    EXPECT_EQ(vertical, layout.VerticalBar()) << "the same bar, restyled";
    EXPECT_EQ(20, vertical->FixedWidth()) << "a style name is the bar's style, not the layout's";
    layout.ApplyAttribute(L"hscrollbarstyle", L"height=\"12\"");
    ASSERT_NE(nullptr, layout.HorizontalBar());
    EXPECT_TRUE(layout.HorizontalBar()->IsHorizontal());
    EXPECT_EQ(12, layout.HorizontalBar()->FixedHeight());
    layout.ApplyAttribute(L"vscrollbar", L"false");
    EXPECT_EQ(nullptr, layout.VerticalBar());
    EXPECT_NE(nullptr, layout.HorizontalBar());
}

// A vertical layout filling a real 200 x 120 window, with ten children 40
// high (400 in all) and its vertical bar: range 280, bar at x 184..200.
class ContainerScrollTest : public ::testing::Test {
protected:
    void SetUp() override {
        layout = new CVerticalLayoutUI();
        layout->SetName(L"list");
        for (int i = 0; i < 10; ++i) {
            auto* child = new CControlUI();
            child->SetFixedHeight(40);
            layout->Add(child);
            children.push_back(child);
        }
        layout->ApplyAttribute(L"vscrollbar", L"true");
        ASSERT_TRUE(window.Manager().AttachRoot(layout));
        window.Manager().AddNotifier(&log);
        SetCursorPos(1200, 1000);
        window.Show();
        UiTestWindow::PumpPending();
        bar = layout->VerticalBar();
        ASSERT_NE(nullptr, bar);
        log.Clear();
    }

    LRESULT SendToWindow(UINT message, WPARAM wParam, int x, int y) {
        return SendMessageW(window.Handle(), message, wParam, MAKELPARAM(x, y));
    }
    void Wheel(int delta, int x, int y) {
        POINT point = {x, y};
        ClientToScreen(window.Handle(), &point);
        SendMessageW(window.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(point.x, point.y));
    }
    int Top(int child) const { return children[child]->ItemRect().top; }
    int LineStep() { return window.Manager().DefaultFontInfo()->metrics.tmHeight + 8; }

    UiTestWindow window{200, 120};
    NotifyLog log;
    CVerticalLayoutUI* layout = nullptr;  // owned by the manager
    CScrollBarUI* bar = nullptr;          // owned by the layout
    std::vector<CControlUI*> children;    // owned by the layout
};

TEST_F(ContainerScrollTest, TheThumbIsAsLongAsTheVisiblePartOfTheTrack) {
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(280, bar->ScrollRange());
    EXPECT_EQ(RectText({184, 0, 200, 120}), RectText(bar->ItemRect()));
    EXPECT_EQ(RectText({0, 0, 184, 40}), RectText(children[0]->ItemRect()));
    // 120 of 400 visible, on a track of 88.
    EXPECT_EQ(88 * 120 / 400, bar->ThumbRect().bottom - bar->ThumbRect().top);

    for (int i = 5; i < 10; ++i) {
        children[i]->SetVisible(false);
    }
    window.Repaint();
    EXPECT_EQ(80, bar->ScrollRange());
    EXPECT_EQ(88 * 120 / 200, bar->ThumbRect().bottom - bar->ThumbRect().top);

    for (int i = 3; i < 5; ++i) {
        children[i]->SetVisible(false);
    }
    window.Repaint();
    EXPECT_FALSE(bar->IsVisible()) << "everything fits";
    EXPECT_EQ(RectText({0, 0, 200, 40}), RectText(children[0]->ItemRect()));
}

TEST_F(ContainerScrollTest, TheWheelScrollsByLines) {
    const int step = LineStep();
    Wheel(-WHEEL_DELTA, 50, 50);
    EXPECT_EQ(step, bar->ScrollPos());
    EXPECT_EQ(-step, Top(0));
    EXPECT_EQ(40 - step, Top(1));
    Wheel(WHEEL_DELTA, 50, 50);
    EXPECT_EQ(0, bar->ScrollPos());
    EXPECT_EQ(0, Top(0));
    // wParam: the line of a bar's line size (8) the view starts at, counted from 1.
    EXPECT_EQ((Strings{L"list:" + std::to_wstring((step + 8) / 8) + L":0", L"list:1:0"}), log.Of(L"scroll"));
}

TEST_F(ContainerScrollTest, AHeldArrowButtonRepeatsUntilReleased) {
    const int step = LineStep();
    SendToWindow(WM_LBUTTONDOWN, MK_LBUTTON, 192, 115);
    EXPECT_EQ(step, bar->ScrollPos()) << "one line at once";
    EXPECT_TRUE(UiTestWindow::PumpUntil([&] { return bar->ScrollPos() >= 2 * step; }, 5000))
        << "the repeat timer steps again";
    SendToWindow(WM_LBUTTONUP, 0, 192, 115);
    const int held = bar->ScrollPos();
    EXPECT_EQ(-held, Top(0));
    UiTestWindow::PumpUntil([] { return false; }, 300);
    EXPECT_EQ(held, bar->ScrollPos()) << "released: no more steps";
    EXPECT_EQ(static_cast<size_t>(held / step), log.Of(L"scroll").size());

    SendToWindow(WM_LBUTTONDOWN, MK_LBUTTON, 192, 5);
    SendToWindow(WM_LBUTTONUP, 0, 192, 5);
    EXPECT_EQ(held - step, bar->ScrollPos()) << "the up arrow";
}

TEST_F(ContainerScrollTest, DraggingTheThumbMovesTheChildren) {
    const CUiRect thumb = bar->ThumbRect();
    ASSERT_EQ(RectText({184, 16, 200, 42}), RectText(thumb));
    SendToWindow(WM_LBUTTONDOWN, MK_LBUTTON, 192, 29);
    // The thumb travels 120 - 32 - 26 = 62 pixels for a range of 280.
    SendToWindow(WM_MOUSEMOVE, MK_LBUTTON, 192, 29 + 31);
    EXPECT_TRUE(UiTestWindow::PumpUntil([&] { return bar->ScrollPos() == 140; }));
    EXPECT_EQ(-140, Top(0));
    EXPECT_EQ(RectText({184, 47, 200, 73}), RectText(bar->ThumbRect()));
    SendToWindow(WM_LBUTTONUP, 0, 192, 60);
    EXPECT_EQ(140, bar->ScrollPos());
    EXPECT_EQ((Strings{L"list:18:0"}), log.Of(L"scroll"));
}

TEST_F(ContainerScrollTest, ClicksOnTheTrackScrollByPages) {
    SendToWindow(WM_LBUTTONDOWN, MK_LBUTTON, 192, 100);
    SendToWindow(WM_LBUTTONUP, 0, 192, 100);
    EXPECT_EQ(120, bar->ScrollPos()) << "a page is the layout's height";
    EXPECT_EQ(-120, Top(0));
    EXPECT_EQ(0, Top(3));
    SendToWindow(WM_LBUTTONDOWN, MK_LBUTTON, 192, 20);
    SendToWindow(WM_LBUTTONUP, 0, 192, 20);
    EXPECT_EQ(0, bar->ScrollPos());
    EXPECT_EQ((Strings{L"list:16:0", L"list:1:0"}), log.Of(L"scroll"));
}

}  // namespace
