// Input routing of the paint manager on a real window: messages are sent to
// the window, and the controls log the events that reach them.
#include "PaintManagerUI.h"
#include "TestControls.h"
#include "UiInterfaces.h"
#include "UiTestWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Orvel;

namespace {

using Events = std::vector<std::string>;

// Three tab stops side by side; b also wants SetCursor.
class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = new TestContainer(L"root");
        a = root->Add(new RecordingControl(L"a", UiTraitTabStop), {10, 10, 60, 40});
        b = root->Add(new RecordingControl(L"b", UiTraitTabStop | UiTraitWantsCursor), {70, 10, 120, 40});
        c = root->Add(new RecordingControl(L"c", UiTraitTabStop), {130, 10, 180, 40});
        ASSERT_TRUE(manager().AttachRoot(root));
        manager().AddNotifier(&notifications);
        // Away from the window, so that no real mouse input mixes with the test's.
        SetCursorPos(1200, 1000);
        window.Show();
        UiTestWindow::PumpPending();
        ClearLogs();
    }

    CPaintManagerUI& manager() { return window.Manager(); }
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) {
        return SendMessageW(window.Handle(), message, wParam, lParam);
    }
    POINT ScreenPoint(int x, int y) {
        POINT point = {x, y};
        ClientToScreen(window.Handle(), &point);
        return point;
    }
    void ClearLogs() {
        for (RecordingControl* control : {a, b, c}) {
            control->events.clear();
            control->received.clear();
        }
        notifications.log.clear();
    }

    UiTestWindow window{200, 120};
    NotifyLog notifications;
    TestContainer* root = nullptr;  // owned by the manager
    RecordingControl* a = nullptr;
    RecordingControl* b = nullptr;
    RecordingControl* c = nullptr;
};

TEST_F(InputTest, HoverMovesBetweenControlsAndLeavingTheWindowEndsIt) {
    POINT outside = ScreenPoint(400, 400);
    SetCursorPos(outside.x, outside.y);
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    EXPECT_EQ(a, manager().HoverControl());
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(80, 20));
    // The cursor is not over the window, so the leave is a move to (-1, -1).
    Send(WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ((Events{"MouseEnter", "MouseMove", "MouseLeave"}), a->events);
    EXPECT_EQ((Events{"MouseEnter", "MouseMove", "MouseLeave"}), b->events);
    EXPECT_EQ(nullptr, manager().HoverControl());
    EXPECT_EQ(-1, manager().MousePos().x);
    // A second leave without tracking does nothing.
    Send(WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(3u, b->events.size());
}

TEST_F(InputTest, HoveringShowsTheTooltipOfTheControlUnderTheMouse) {
    LRESULT result = 0;
    EXPECT_FALSE(manager().HandleWindowMessage(WM_MOUSEHOVER, 0, MAKELPARAM(-5, -5), result)) << "no control there";
    a->SetToolTip(L"first<n>line");
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    EXPECT_TRUE(manager().HandleWindowMessage(WM_MOUSEHOVER, 0, MAKELPARAM(20, 20), result));
    EXPECT_EQ(1u, a->Of(UiEventType::MouseHover).size());
    HWND tip = FindWindowExW(nullptr, nullptr, L"tooltips_class32", nullptr);
    ASSERT_NE(nullptr, tip);
    EXPECT_EQ(window.Handle(), GetWindow(tip, GW_OWNER));
    wchar_t text[64] = {};
    TOOLINFOW info = {};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = window.Handle();
    info.uId = reinterpret_cast<UINT_PTR>(window.Handle());
    info.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(L"first\r\nline", text);
    // A control without a tip still gets its hover event.
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(80, 20));
    EXPECT_TRUE(manager().HandleWindowMessage(WM_MOUSEHOVER, 0, MAKELPARAM(80, 20), result));
    EXPECT_EQ(1u, b->Of(UiEventType::MouseHover).size());
}

TEST_F(InputTest, ThePressedControlHoldsCaptureAndGetsTheMovesUntilRelease) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(20, 20));
    EXPECT_EQ(a, manager().PressedControl());
    EXPECT_EQ(a, manager().FocusedControl());
    EXPECT_TRUE(manager().IsCaptured());
    EXPECT_EQ(window.Handle(), GetCapture());
    ASSERT_EQ(1u, a->Of(UiEventType::ButtonDown).size());
    EXPECT_EQ(MK_LBUTTON | MK_SHIFT, a->Of(UiEventType::ButtonDown)[0].keyState);

    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(90, 20));
    EXPECT_EQ((Events{"MouseEnter"}), b->events);
    Send(WM_LBUTTONUP, 0, MAKELPARAM(90, 20));
    EXPECT_EQ((Events{"ButtonDown", "MouseMove", "ButtonUp"}), a->events);
    EXPECT_EQ(nullptr, manager().PressedControl());
    EXPECT_EQ(nullptr, GetCapture());

    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(140, 20));
    EXPECT_EQ(c, manager().PressedControl());
    EXPECT_EQ((Events{"DoubleClick"}), c->events);
    Send(WM_LBUTTONUP, 0, MAKELPARAM(140, 20));
}

TEST_F(InputTest, RightAndMiddleButtonsFocusAndReleaseTheirControl) {
    Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(80, 20));
    EXPECT_EQ(b, manager().FocusedControl());
    EXPECT_EQ(b, manager().PressedControl());
    // The default handling of the release asks for the context menu.
    Send(WM_RBUTTONUP, 0, MAKELPARAM(80, 20));
    POINT screen = ScreenPoint(80, 20);
    if (manager().PressedControl() == b) {
        Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window.Handle()), MAKELPARAM(screen.x, screen.y));
    }
    EXPECT_EQ((Events{"SetFocus", "RightButtonDown", "RightButtonUp", "ContextMenu"}), b->events);
    EXPECT_EQ(nullptr, manager().PressedControl());

    Send(WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(140, 20));
    EXPECT_EQ(c, manager().PressedControl());
    Send(WM_MBUTTONUP, 0, MAKELPARAM(140, 20));
    EXPECT_EQ(nullptr, manager().PressedControl());
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    EXPECT_EQ((Events{"SetFocus", "MiddleButtonDown", "MiddleButtonUp"}), c->events);
    EXPECT_EQ(1u, a->Of(UiEventType::MouseMove).size()) << "the move goes to the control under the mouse";
}

TEST_F(InputTest, TheWheelTellsItsDirectionAndRefreshesHover) {
    POINT screen = ScreenPoint(20, 20);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
    std::vector<UiEvent> wheel = a->Of(UiEventType::ScrollWheel);
    ASSERT_EQ(2u, wheel.size());
    EXPECT_EQ(1u, wheel[0].wParam);
    EXPECT_EQ(0u, wheel[1].wParam);
    EXPECT_EQ(a, manager().HoverControl());
}

TEST_F(InputTest, SetCursorGoesOnlyToControlsThatWantIt) {
    LRESULT result = 0;
    const LPARAM client = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(140, 20));
    ClearLogs();
    POINT overB = ScreenPoint(80, 20);
    SetCursorPos(overB.x, overB.y);
    EXPECT_TRUE(manager().HandleWindowMessage(WM_SETCURSOR, 0, client, result));
    EXPECT_EQ((Events{"SetCursor"}), b->events);
    ASSERT_EQ(1u, b->received.size());
    EXPECT_EQ(80, b->received[0].mousePoint.x) << "the cursor's point, not the last move's";
    EXPECT_EQ(20, b->received[0].mousePoint.y);
    EXPECT_FALSE(manager().HandleWindowMessage(WM_SETCURSOR, 0, MAKELPARAM(HTCAPTION, WM_MOUSEMOVE), result));

    POINT overA = ScreenPoint(20, 20);
    SetCursorPos(overA.x, overA.y);
    EXPECT_FALSE(manager().HandleWindowMessage(WM_SETCURSOR, 0, client, result));
    EXPECT_TRUE(a->events.empty());
    // While the mouse is captured the cursor is left alone, but handled.
    manager().BeginCapture();
    SetCursorPos(overB.x, overB.y);
    EXPECT_TRUE(manager().HandleWindowMessage(WM_SETCURSOR, 0, client, result));
    EXPECT_EQ(1u, b->events.size());
    manager().EndCapture();
}

TEST_F(InputTest, KeysGoToTheFocusAndKeyUpToTheControlThatHadTheKeyDown) {
    manager().FocusControl(b);
    Send(WM_KEYDOWN, 'X', 0);
    EXPECT_EQ(b, manager().KeyPressedControl());
    manager().FocusControl(c);
    Send(WM_CHAR, 'x', 0);
    Send(WM_KEYUP, 'X', 0);
    ASSERT_EQ(1u, b->Of(UiEventType::KeyDown).size());
    EXPECT_EQ(L'X', b->Of(UiEventType::KeyDown)[0].key);
    EXPECT_EQ(1u, b->Of(UiEventType::KeyUp).size());
    EXPECT_EQ(1u, c->Of(UiEventType::Char).size());
    EXPECT_TRUE(c->Of(UiEventType::KeyUp).empty());
    EXPECT_EQ(nullptr, manager().KeyPressedControl());
    Send(WM_SYSKEYDOWN, 'A', 0);
    PostMessageW(window.Handle(), WM_SYSKEYDOWN, 'A', 0);
    UiTestWindow::PumpPending();
    EXPECT_EQ(1u, c->Of(UiEventType::SysKey).size()) << "system keys reach the focus through pre-translation";
}

TEST_F(InputTest, TabWrapsAroundInBothDirectionsWithNotificationsInOrder) {
    manager().FocusControl(c);
    PostMessageW(window.Handle(), WM_KEYDOWN, VK_TAB, 0);
    UiTestWindow::PumpPending();
    EXPECT_EQ(a, manager().FocusedControl());
    EXPECT_TRUE(manager().MoveTabFocus(false));
    EXPECT_EQ(c, manager().FocusedControl());
    manager().MoveTabFocus(false);
    EXPECT_EQ(b, manager().FocusedControl());
    EXPECT_EQ((std::vector<std::wstring>{L"killfocus:a", L"setfocus:c", L"killfocus:c", L"setfocus:a",
                                         L"killfocus:a", L"setfocus:c", L"killfocus:c", L"setfocus:b"}),
              notifications.log);

    b->SetVisible(false);
    EXPECT_EQ(nullptr, manager().FocusedControl());
    // While a layout is pending, Tab only asks the next paint for focus.
    manager().MoveTabFocus(true);
    EXPECT_EQ(nullptr, manager().FocusedControl());
    window.Repaint();
    EXPECT_EQ(a, manager().FocusedControl());
}

TEST_F(InputTest, AShortcutFocusesAndALabelPassesItOn) {
    c->SetShortcut(L'k');
    PostMessageW(window.Handle(), WM_SYSCHAR, 'K', 0);
    UiTestWindow::PumpPending();
    EXPECT_EQ(c, manager().FocusedControl());
    LRESULT result = 0;
    EXPECT_FALSE(manager().PreHandleMessage(WM_SYSCHAR, 'q', 0, result));
}

TEST_F(InputTest, QueuedNotificationsWaitForTheLoopAndLoseADestroyedSender) {
    // The sender's hook marks the record before any receiver sees it.
    a->NotifyHooks += MakeDelegate(+[](void* param) {
        static_cast<UiNotify*>(param)->type += L"+hook";
        return true;
    });
    manager().SendNotify(a, L"now", 1);
    manager().SendNotify(a, L"later", 0, 0, true);
    auto* doomed = new RecordingControl(L"doomed");
    doomed->Attach(&manager(), nullptr, false);
    manager().SendNotify(doomed, L"orphan", 0, 0, true);
    EXPECT_EQ((std::vector<std::wstring>{L"now+hook:a"}), notifications.log);
    delete doomed;
    UiTestWindow::PumpPending();
    EXPECT_EQ((std::vector<std::wstring>{L"now+hook:a", L"later+hook:a", L"orphan:-"}), notifications.log);
}

TEST_F(InputTest, TimersReuseTheirSystemIdAndIgnoreAKilledOne) {
    // A fresh manager's first system timer id is (4096 + 1) % 240.
    constexpr UINT_PTR kFirstId = 17;
    ASSERT_TRUE(manager().StartTimer(a, 7, 100000));
    ASSERT_TRUE(manager().StartTimer(b, 1, 100000));
    Send(WM_TIMER, kFirstId, 0);
    Send(WM_TIMER, kFirstId + 1, 0);
    ASSERT_EQ(1u, a->Of(UiEventType::Timer).size());
    EXPECT_EQ(7u, a->Of(UiEventType::Timer)[0].wParam);
    EXPECT_EQ(1u, b->Of(UiEventType::Timer).size());

    ASSERT_TRUE(manager().StopTimer(a, 7));
    Send(WM_TIMER, kFirstId, 0);
    EXPECT_EQ(1u, a->Of(UiEventType::Timer).size());
    ASSERT_TRUE(manager().StartTimer(a, 7, 100000));
    Send(WM_TIMER, kFirstId, 0);
    EXPECT_EQ(2u, a->Of(UiEventType::Timer).size());

    ASSERT_TRUE(manager().StartTimer(c, 3, 10));
    EXPECT_TRUE(UiTestWindow::PumpUntil([&] { return !c->Of(UiEventType::Timer).empty(); }));
    EXPECT_EQ(3u, c->Of(UiEventType::Timer)[0].wParam);
}

TEST_F(InputTest, ControlsOfAnotherManagerReceiveNothing) {
    CPaintManagerUI other;
    c->Attach(&other, root, false);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(140, 20));
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(141, 20));
    Send(WM_LBUTTONUP, 0, MAKELPARAM(141, 20));
    EXPECT_TRUE(c->events.empty());
    EXPECT_EQ(nullptr, manager().HoverControl());
    c->Attach(&manager(), root, false);
}

// Handles (and logs) the messages it is given.
class KeyFilter : public IMessageFilterUI, public ITranslateAccelerator {
public:
    explicit KeyFilter(UINT taken) : taken_(taken) {}
    LRESULT MessageHandler(UINT message, WPARAM, LPARAM, bool& handled) override {
        handled = message == taken_;
        return handled ? 77 : 0;
    }
    LRESULT TranslateAccelerator(MSG* message) override { return message->wParam == VK_F5 ? 0 : 1; }

private:
    UINT taken_;
};

TEST_F(InputTest, FiltersAndAcceleratorsComeFirst) {
    KeyFilter keys(WM_KEYDOWN);
    manager().AddMessageFilter(&keys);
    LRESULT result = 0;
    EXPECT_TRUE(manager().HandleWindowMessage(WM_KEYDOWN, 'X', 0, result));
    EXPECT_EQ(77, result);
    EXPECT_TRUE(a->events.empty()) << "the filter took the key";
    manager().RemoveMessageFilter(&keys);

    KeyFilter tabs(WM_KEYDOWN);
    manager().AddPreMessageFilter(&tabs);
    PostMessageW(window.Handle(), WM_KEYDOWN, VK_TAB, 0);
    UiTestWindow::PumpPending();
    EXPECT_EQ(a, manager().FocusedControl()) << "Tab never reached the manager";
    manager().RemovePreMessageFilter(&tabs);

    manager().AddTranslateAccelerator(&keys);
    MSG f5 = {window.Handle(), WM_KEYDOWN, VK_F5, 0, 0, {0, 0}};
    MSG f6 = {window.Handle(), WM_KEYDOWN, VK_F6, 0, 0, {0, 0}};
    EXPECT_TRUE(CPaintManagerUI::PreTranslate(&f5));
    EXPECT_FALSE(CPaintManagerUI::PreTranslate(&f6));
}

TEST_F(InputTest, NativeChildrenGetTheirNotificationsReflected) {
    UiTestWindow child(40, 20, WS_CHILD | WS_VISIBLE, 0, window.Handle());
    std::vector<UINT> reflected;
    child.SetHook([&](UINT message, WPARAM, LPARAM, LRESULT& result) {
        if (message >= 0x2000 && message < 0x3000) {
            reflected.push_back(message - 0x2000);
            result = message == 0x2000 + WM_COMMAND ? 0 : 5;
            return true;
        }
        return false;
    });
    LRESULT result = 0;
    NMHDR header = {child.Handle(), 1, 0};
    EXPECT_TRUE(manager().HandleWindowMessage(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&header), result));
    EXPECT_EQ(5, result);
    EXPECT_FALSE(manager().HandleWindowMessage(WM_COMMAND, 1, reinterpret_cast<LPARAM>(child.Handle()), result))
        << "a command the child leaves at 0 goes on";
    EXPECT_TRUE(manager().HandleWindowMessage(WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(child.Handle()), result));
    EXPECT_FALSE(manager().HandleWindowMessage(WM_COMMAND, 1, 0, result)) << "a menu command is not reflected";
    EXPECT_EQ((std::vector<UINT>{WM_NOTIFY, WM_COMMAND, WM_CTLCOLORSTATIC}), reflected);
}

}  // namespace
