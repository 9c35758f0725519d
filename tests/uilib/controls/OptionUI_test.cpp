// Options and check boxes: groups, toggling, their notifications and their
// selected looks.
#include "CheckBoxUI.h"
#include "OptionUI.h"
#include "PaintManagerUI.h"
#include "TestCanvas.h"
#include "TestPng.h"
#include "TestWindow.h"
#include "UiControlTestHelpers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace Orvel;
using controltest::NotifyLog;
using controltest::Send;
using Strings = std::vector<std::wstring>;

namespace {

constexpr POINT kInside = {20, 20};
constexpr POINT kOutside = {200, 20};

class OptionTest : public ::testing::Test {
protected:
    OptionTest() : window([](UINT, WPARAM, LPARAM) { return false; }) {
        manager.Attach(window.Handle(), L"options");
        manager.AddNotifier(&log);
    }

    // Named, bound to the manager and placed at 40 x 40; owned by the test.
    template <typename Control>
    Control* Make(const wchar_t* name, const wchar_t* attributes = L"") {
        auto* control = new Control();
        owned.emplace_back(control);
        control->SetName(name);
        control->ApplyAttributeList(attributes);
        manager.BindControls(control);
        control->Place({0, 0, 40, 40});
        return control;
    }
    void Click(CControlUI* control) {
        Send(*control, UiEventType::ButtonDown, kInside);
        Send(*control, UiEventType::ButtonUp, kInside);
    }

    TestWindow window;
    CPaintManagerUI manager;
    NotifyLog log;
    std::vector<std::unique_ptr<CControlUI>> owned;
};

TEST_F(OptionTest, AGroupKeepsExactlyOneSelected) {
    COptionUI* a = Make<COptionUI>(L"a", L"group=\"g\" selected=\"true\"");
    COptionUI* b = Make<COptionUI>(L"b", L"group=\"g\"");
    COptionUI* c = Make<COptionUI>(L"c", L"group=\"g\"");
    auto selection = [&] { return std::vector<bool>{a->IsSelected(), b->IsSelected(), c->IsSelected()}; };
    log.Clear();

    Click(b);
    EXPECT_EQ((std::vector<bool>{false, true, false}), selection());
    EXPECT_EQ((Strings{L"click:b", L"selectchanged:b"}), log.entries) << "only the newly selected one notifies";
    Click(b);
    EXPECT_EQ((std::vector<bool>{false, true, false}), selection()) << "a selected radio option stays selected";
    c->Select(true);
    EXPECT_EQ((std::vector<bool>{false, false, true}), selection());
    c->Select(false);
    EXPECT_EQ((std::vector<bool>{false, false, false}), selection());
    EXPECT_EQ((Strings{L"b:0:0", L"c:0:0"}), log.Of(L"selectchanged")) << "a grouped deselection is quiet";

    owned.erase(owned.begin() + 2);
    ASSERT_NE(nullptr, manager.OptionGroup(L"g"));
    EXPECT_EQ(2, manager.OptionGroup(L"g")->Count()) << "a destroyed option leaves its group";
}

TEST_F(OptionTest, OptionsWithoutAGroupAndCheckBoxesToggle) {
    COptionUI* option = Make<COptionUI>(L"o");
    CCheckBoxUI* check = Make<CCheckBoxUI>(L"k");
    for (int i = 0; i < 2; ++i) {
        Click(option);
        Click(check);
    }
    EXPECT_FALSE(option->IsSelected());
    EXPECT_FALSE(check->IsSelected());
    EXPECT_EQ((Strings{L"o:0:0", L"k:1:0", L"o:0:0", L"k:0:0"}), log.Of(L"selectchanged"));
    EXPECT_EQ(4u, log.Of(L"click").size());
    EXPECT_EQ(check, check->CastTo(L"option"));
    EXPECT_EQ(nullptr, option->CastTo(L"CheckBox"));
}

TEST_F(OptionTest, AnAutoCheckBoxTogglesOnThePressAlone) {
    CCheckBoxUI* check = Make<CCheckBoxUI>(L"k", L"enableautocheck=\"TRUE\"");
    Send(*check, UiEventType::ButtonDown, kInside);
    EXPECT_TRUE(check->IsSelected());
    Send(*check, UiEventType::ButtonUp, kInside);
    EXPECT_TRUE(check->IsSelected()) << "the release toggles nothing";
    Send(*check, UiEventType::ButtonDown, kOutside);
    EXPECT_TRUE(check->IsSelected());
    check->SetEnabled(false);
    Send(*check, UiEventType::ButtonDown, kInside);
    EXPECT_TRUE(check->IsSelected());
    EXPECT_EQ((Strings{L"selectchanged:k", L"checkclick:k"}), log.entries) << "no click: the press was consumed";

    check->SetEnabled(true);
    check->SetAutoCheck(false);
    Send(*check, UiEventType::ButtonDown, kInside);
    EXPECT_TRUE(check->IsSelected()) << "a plain press only captures";
    Send(*check, UiEventType::ButtonUp, kInside);
    EXPECT_FALSE(check->IsSelected());
    EXPECT_EQ((Strings{L"click:k", L"selectchanged:k"}), Strings(log.entries.begin() + 2, log.entries.end()));
}

TEST_F(OptionTest, JoiningAGroupDeselectsItsSelectedMember) {
    COptionUI* moving = Make<COptionUI>(L"m", L"group=\"one\" selected=\"true\"");
    COptionUI* staying = Make<COptionUI>(L"s", L"group=\"two\" selected=\"true\"");
    moving->SetGroup(L"two");
    EXPECT_TRUE(moving->IsSelected());
    EXPECT_FALSE(staying->IsSelected());
    EXPECT_EQ(nullptr, manager.OptionGroup(L"one")) << "an emptied group goes";
    moving->SetGroup(nullptr);
    EXPECT_EQ(1, manager.OptionGroup(L"two")->Count());

    // A group set before the option joins a window is registered when it does.
    COptionUI late;
    late.SetGroup(L"two");
    manager.BindControls(&late);
    EXPECT_EQ(2, manager.OptionGroup(L"two")->Count());
}

TEST_F(OptionTest, DisablingKeepsOnlyTheSelectedBit) {
    COptionUI* option = Make<COptionUI>(L"o", L"selected=\"true\"");
    Send(*option, UiEventType::MouseEnter, kInside);
    Send(*option, UiEventType::ButtonDown, kInside);
    EXPECT_EQ(CButtonUI::StateSelected | CButtonUI::StateHot | CButtonUI::StatePushed | CButtonUI::StateCaptured,
              option->State());
    option->SetEnabled(false);
    EXPECT_EQ(UINT{CButtonUI::StateSelected}, option->State());
    option->SetEnabled(true);
    option->Select(false);
    option->SetEnabled(false);
    EXPECT_EQ(0u, option->State());
}

TEST_F(OptionTest, SelectedLooks) {
    ASSERT_TRUE(testpng::WriteSolid(L"plain.png", 4, 4, 0xFFFF0000));
    ASSERT_TRUE(testpng::WriteSolid(L"chosen.png", 4, 4, 0xFF00FF00));
    ASSERT_TRUE(testpng::WriteSolid(L"chosenhot.png", 4, 4, 0xFF0000FF));
    COptionUI* imaged = Make<COptionUI>(
        L"i", L"normalimage=\"plain.png\" selectedimage=\"chosen.png\" selectedhotimage=\"chosenhot.png\"");
    COptionUI* coloured = Make<COptionUI>(L"c", L"bkcolor=\"#FFFF0000\"");
    COptionUI* texted = Make<COptionUI>(L"t", L"text=\"MMMM\" selectedtextcolor=\"#FF00C000\" textcolor=\"#FF000000\"");
    auto centre = [](CControlUI* control) {
        TestCanvas canvas(40, 40);
        control->Paint(canvas.Dc(), canvas.Bounds());
        return canvas.Rgb(20, 20);
    };
    auto greenText = [](CControlUI* control) {
        TestCanvas canvas(40, 40);
        control->Paint(canvas.Dc(), canvas.Bounds());
        return canvas.CountWhere(canvas.Bounds(), [](DWORD argb) {
            return GreenOf(argb) > 120 && RedOf(argb) < 80 && BlueOf(argb) < 80;
        });
    };

    EXPECT_EQ(0xFF0000u, centre(imaged));
    imaged->Select(true);
    EXPECT_EQ(0x00FF00u, centre(imaged));
    Send(*imaged, UiEventType::MouseEnter, kInside);
    EXPECT_EQ(0x0000FFu, centre(imaged));

    EXPECT_EQ(0xFF0000u, centre(coloured));
    coloured->Select(true);
    EXPECT_EQ(0xFFFFFFu, centre(coloured)) << "selected without a selected back colour: none at all";
    coloured->SetSelectedBkColor(0xFF0000FF);
    EXPECT_EQ(0x0000FFu, centre(coloured));

    EXPECT_EQ(0, greenText(texted));
    texted->Select(true);
    EXPECT_GT(greenText(texted), 0) << "the selected text colour";
}

}  // namespace
