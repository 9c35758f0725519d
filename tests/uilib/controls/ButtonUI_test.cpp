#include "ButtonUI.h"
#include "PaintManagerUI.h"
#include "TestCanvas.h"
#include "TestPng.h"
#include "TestWindow.h"
#include "UiControlTestHelpers.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace Orvel;
using controltest::NotifyLog;
using controltest::Send;

namespace {

constexpr POINT kInside = {20, 20};
constexpr POINT kOutside = {200, 20};

// A button 40 x 40 at (0, 0) with one solid image per state, in a window.
class ButtonTest : public ::testing::Test {
public:
    static void SetUpTestSuite() {
        const struct {
            const wchar_t* file;
            DWORD argb;
        } images[] = {{L"normal.png", 0xFFFF0000}, {L"hot.png", 0xFF00FF00},     {L"pushed.png", 0xFF0000FF},
                      {L"focused.png", 0xFFFFFF00}, {L"disabled.png", 0xFF808080}};
        for (const auto& image : images) {
            ASSERT_TRUE(testpng::WriteSolid(image.file, 4, 4, image.argb));
        }
    }

    ButtonTest() : window([](UINT, WPARAM, LPARAM) { return false; }) {
        manager.Attach(window.Handle(), L"button");
        manager.AddNotifier(&log);
        button.SetName(L"go");
        button.ApplyAttributeList(L"normalimage=\"normal.png\" hotimage=\"hot.png\" pushedimage=\"pushed.png\" "
                                  L"focusedimage=\"focused.png\" disabledimage=\"disabled.png\"");
        manager.BindControls(&button);
        button.Place({0, 0, 40, 40});
    }

    DWORD Look() {
        TestCanvas canvas(40, 40);
        button.Paint(canvas.Dc(), canvas.Bounds());
        return canvas.Rgb(20, 20);
    }

    TestWindow window;
    CPaintManagerUI manager;
    NotifyLog log;
    CButtonUI button;
};

TEST_F(ButtonTest, EachStateHasItsLook) {
    const struct {
        const char* what;
        std::function<void(ButtonTest&)> setUp;
        DWORD look;
    } cases[] = {
        {"normal", [](ButtonTest&) {}, 0xFF0000},
        {"hot", [](ButtonTest& t) { Send(t.button, UiEventType::MouseEnter, kInside); }, 0x00FF00},
        {"hot, then left", [](ButtonTest& t) {
             Send(t.button, UiEventType::MouseEnter, kInside);
             Send(t.button, UiEventType::MouseLeave, kOutside);
         }, 0xFF0000},
        {"pushed", [](ButtonTest& t) { Send(t.button, UiEventType::ButtonDown, kInside); }, 0x0000FF},
        {"pushed, pointer moved off", [](ButtonTest& t) {
             Send(t.button, UiEventType::ButtonDown, kInside);
             Send(t.button, UiEventType::MouseMove, kOutside);
         }, 0xFF0000},
        {"focused", [](ButtonTest& t) { t.manager.FocusControl(&t.button); }, 0xFFFF00},
        {"disabled", [](ButtonTest& t) { t.button.SetEnabled(false); }, 0x808080},
        {"disabled and entered", [](ButtonTest& t) {
             t.button.SetEnabled(false);
             Send(t.button, UiEventType::MouseEnter, kInside);
         }, 0x808080},
        {"hot in a disabled window", [](ButtonTest& t) {
             Send(t.button, UiEventType::MouseEnter, kInside);
             EnableWindow(t.window.Handle(), FALSE);
         }, 0xFF0000},
        {"hot image missing", [](ButtonTest& t) {
             t.button.SetHotImage(L"nosuch.png");
             Send(t.button, UiEventType::MouseEnter, kInside);
         }, 0xFF0000},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.what);
        item.setUp(*this);
        EXPECT_TRUE(NearRgb(item.look, Look())) << std::hex << Look();
        // Back to a plain button for the next case.
        EnableWindow(window.Handle(), TRUE);
        manager.FocusControl(nullptr);
        button.SetEnabled(false);
        button.SetEnabled(true);
        button.SetHotImage(L"hot.png");
    }
}

TEST_F(ButtonTest, BackAndTextColoursFollowTheState) {
    button.SetNormalImage(L"");
    button.ApplyAttributeList(L"hotimage=\"\" pushedimage=\"\" hotbkcolor=\"#FF00FFFF\" pushedbkcolor=\"FFFF00FF\"");
    Send(button, UiEventType::MouseEnter, kInside);
    EXPECT_EQ(0x00FFFFu, Look());
    Send(button, UiEventType::ButtonDown, kInside);
    EXPECT_EQ(0xFF00FFu, Look());

    button.ApplyAttributeList(L"text=\"WW\" pushedtextcolor=\"#FF000080\" pushedbkcolor=\"#FFFFFFFF\"");
    TestCanvas canvas(40, 40);
    button.Paint(canvas.Dc(), canvas.Bounds());
    EXPECT_GT(canvas.CountWhere(canvas.Bounds(), [](DWORD p) { return BlueOf(p) > RedOf(p) + 40; }), 5);
}

TEST_F(ButtonTest, ClicksOnlyWhenReleasedOverItself) {
    using Step = std::pair<UiEventType, POINT>;
    const struct {
        const char* what;
        std::vector<Step> steps;
        size_t clicks;
    } cases[] = {
        {"press and release", {{UiEventType::ButtonDown, kInside}, {UiEventType::ButtonUp, kInside}}, 1},
        {"released outside",
         {{UiEventType::ButtonDown, kInside}, {UiEventType::MouseMove, kOutside}, {UiEventType::ButtonUp, kOutside}},
         0},
        {"moved back in before the release",
         {{UiEventType::ButtonDown, kInside},
          {UiEventType::MouseMove, kOutside},
          {UiEventType::MouseMove, kInside},
          {UiEventType::ButtonUp, kInside}},
         1},
        {"pressed elsewhere", {{UiEventType::ButtonDown, kOutside}, {UiEventType::ButtonUp, kInside}}, 0},
        {"double click", {{UiEventType::DoubleClick, kInside}, {UiEventType::ButtonUp, kInside}}, 1},
        {"released twice", {{UiEventType::ButtonDown, kInside}, {UiEventType::ButtonUp, kInside},
                            {UiEventType::ButtonUp, kInside}}, 1},
    };
    for (const auto& item : cases) {
        log.entries.clear();
        for (const Step& step : item.steps) {
            Send(button, step.first, step.second);
        }
        EXPECT_EQ(item.clicks, log.entries.size()) << item.what;
        EXPECT_EQ(0u, button.State() & (CButtonUI::StatePushed | CButtonUI::StateCaptured)) << item.what;
    }
    ASSERT_EQ(L"click:go", log.entries.back());

    const struct {
        wchar_t key;
        bool keyboard;
        size_t clicks;
    } keys[] = {{VK_SPACE, true, 1}, {VK_RETURN, true, 1}, {L'A', true, 0}, {VK_SPACE, false, 0}};
    for (const auto& key : keys) {
        log.entries.clear();
        button.SetAcceptsKeyboard(key.keyboard);
        Send(button, UiEventType::KeyDown, kInside, key.key);
        EXPECT_EQ(key.clicks, log.entries.size()) << static_cast<int>(key.key);
    }
    EXPECT_EQ(UINT{UiTraitWantsCursor}, button.TraitFlags());
}

TEST_F(ButtonTest, DisabledButtonsIgnoreInputAndStartAgainCleared) {
    Send(button, UiEventType::MouseEnter, kInside);
    Send(button, UiEventType::ButtonDown, kInside);
    ASSERT_EQ(CButtonUI::StateHot | CButtonUI::StatePushed | CButtonUI::StateCaptured, button.State());
    log.entries.clear();
    button.SetEnabled(false);
    EXPECT_EQ(0u, button.State());
    Send(button, UiEventType::ButtonUp, kInside);
    Send(button, UiEventType::ButtonDown, kInside);
    Send(button, UiEventType::ButtonUp, kInside);
    Send(button, UiEventType::KeyDown, kInside, VK_SPACE);
    EXPECT_FALSE(button.TryActivate());
    EXPECT_TRUE(log.entries.empty());
    EXPECT_EQ(0u, button.TraitFlags() & UiTraitWantsCursor);

    button.SetEnabled(true);
    EXPECT_EQ(0u, button.State());
    EXPECT_TRUE(NearRgb(0xFF0000, Look()));
    Send(button, UiEventType::MouseEnter, kInside);
    Send(button, UiEventType::MouseLeave, kOutside);
    EXPECT_EQ((std::vector<std::wstring>{L"mouseenter:go", L"mouseleave:go"}), log.entries);

    // A button that takes no mouse input leaves presses to its parent.
    button.SetAcceptsMouse(false);
    Send(button, UiEventType::ButtonDown, kInside);
    EXPECT_EQ(0u, button.State());
}

TEST_F(ButtonTest, TheBoundTabLayoutIsFoundByName) {
    class Tabs : public CControlUI {
    public:
        void* CastTo(const wchar_t* name) override {
            return _wcsicmp(name, L"TabLayout") == 0 ? this : CControlUI::CastTo(name);
        }
    };
    Tabs tabs;
    CControlUI plain;
    tabs.SetName(L"pages");
    plain.SetName(L"plain");
    manager.BindControls(&tabs);
    manager.BindControls(&plain);
    button.ApplyAttributeList(L"bindtablayoutname=\"pages\"");
    EXPECT_EQ(nullptr, button.BoundTabLayout()) << "no page index bound";
    button.ApplyAttributeList(L"bindtabindex=\"2\" bindtabindex=\"-1\"");
    EXPECT_EQ(2, button.BoundTabIndex());
    EXPECT_EQ(&tabs, button.BoundTabLayout());
    button.SetBoundTabLayoutName(L"plain");
    EXPECT_EQ(nullptr, button.BoundTabLayout()) << "not a tab layout";
}

}  // namespace
