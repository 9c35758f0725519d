// Tab layouts: page selection, "tabselect", the page list kept in step
// with the selection, and buttons bound to a page.
#include "AnimationTabLayoutUI.h"
#include "ButtonUI.h"
#include "PaintManagerUI.h"
#include "TabLayoutUI.h"
#include "TestWindow.h"
#include "UiControlTestHelpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Orvel;
using controltest::NotifyLog;
using controltest::RectText;
using controltest::Send;
using Strings = std::vector<std::wstring>;

namespace {

// A tab layout 200 x 100 with an inset of 10 and three pages p0..p2, in a window.
class TabTest : public ::testing::Test {
protected:
    TabTest() : window([](UINT, WPARAM, LPARAM) { return false; }) {
        manager.Attach(window.Handle(), L"tabs");
        manager.AddNotifier(&log);
        tabs.SetName(L"tabs");
        tabs.SetInset({10, 10, 10, 10});
        manager.BindControls(&tabs);
        for (int i = 0; i < 3; ++i) {
            tabs.Add(Page(L"p" + std::to_wstring(i)));
        }
        tabs.Place({0, 0, 200, 100});
        log.Clear();
    }

    static CControlUI* Page(const std::wstring& name) {
        auto* page = new CControlUI();
        page->SetName(name.c_str());
        return page;
    }
    // The names of the visible pages.
    std::wstring Shown() const {
        std::wstring names;
        for (int i = 0; i < tabs.ItemCount(); ++i) {
            if (tabs.ItemAt(i)->IsVisible()) {
                names += tabs.ItemAt(i)->Name().Data();
            }
        }
        return names;
    }

    TestWindow window;
    CPaintManagerUI manager;
    NotifyLog log;
    CTabLayoutUI tabs;
};

TEST_F(TabTest, TheFirstVisiblePageAddedIsSelected) {
    EXPECT_EQ(0, tabs.SelectedIndex());
    EXPECT_EQ(L"p0", Shown());
    EXPECT_EQ(RectText({10, 10, 190, 90}), RectText(tabs.ItemAt(0)->ItemRect()));
    EXPECT_EQ(RectText({0, 0, 0, 0}), RectText(tabs.ItemAt(1)->ItemRect())) << "hidden pages are not placed";

    CTabLayoutUI empty;
    CControlUI* hidden = Page(L"h");
    hidden->SetVisible(false);
    empty.Add(hidden);
    empty.Add(Page(L"v"));
    EXPECT_EQ(1, empty.SelectedIndex()) << "a hidden page is not selected";
}

TEST_F(TabTest, SelectingAPageShowsOnlyItAndTellsOldAndNewIndex) {
    EXPECT_TRUE(tabs.SelectItem(2));
    EXPECT_EQ(L"p2", Shown());
    EXPECT_EQ((Strings{L"tabs:2:0"}), log.Of(L"tabselect"));
    EXPECT_EQ(RectText({10, 10, 190, 90}), RectText(tabs.ItemAt(2)->ItemRect()));

    EXPECT_FALSE(tabs.SelectItem(5));
    EXPECT_FALSE(tabs.SelectItem(-1));
    EXPECT_TRUE(tabs.SelectItem(2)) << "the current page";
    CControlUI stranger;
    EXPECT_FALSE(tabs.SelectItem(&stranger));
    EXPECT_TRUE(tabs.SelectItem(tabs.ItemAt(1)));
    EXPECT_EQ((Strings{L"tabs:2:0", L"tabs:1:2"}), log.Of(L"tabselect"));

    tabs.ApplyAttribute(L"selectedid", L"0");
    EXPECT_EQ(L"p0", Shown());

    // A page within its limits and padding, at the top-left of the room.
    tabs.ItemAt(1)->ApplyAttributeList(L"width=\"50\" height=\"20\" padding=\"5,6,0,0\"");
    tabs.SelectItem(1);
    EXPECT_EQ(RectText({15, 16, 65, 36}), RectText(tabs.ItemAt(1)->ItemRect()));
}

TEST_F(TabTest, ThePageListStaysInStepWithTheSelection) {
    tabs.SelectItem(1);
    tabs.AddAt(Page(L"n"), 0);
    EXPECT_EQ(2, tabs.SelectedIndex()) << "inserted before the selected page";
    EXPECT_EQ(L"p1", Shown()) << "the inserted page is hidden";
    tabs.AddAt(Page(L"m"), 4);
    EXPECT_EQ(2, tabs.SelectedIndex());
    EXPECT_EQ(L"p1", Shown());

    EXPECT_TRUE(tabs.Remove(tabs.ItemAt(0)));
    EXPECT_EQ(1, tabs.SelectedIndex()) << "removed before the selected page";
    EXPECT_EQ(L"p1", Shown());
    EXPECT_TRUE(tabs.RemoveAt(1));
    EXPECT_EQ(0, tabs.SelectedIndex()) << "the selected page removed: page 0 is shown";
    EXPECT_EQ(L"p0", Shown());
    EXPECT_FALSE(tabs.Remove(nullptr));

    tabs.RemoveAll();
    EXPECT_EQ(-1, tabs.SelectedIndex());
    tabs.Add(Page(L"again"));
    EXPECT_EQ(0, tabs.SelectedIndex());
    EXPECT_EQ(1u, log.Of(L"tabselect").size()) << "only SelectItem tells";
}

TEST_F(TabTest, ABoundButtonSelectsItsPageWhenActivated) {
    CButtonUI button;
    button.SetName(L"go");
    button.ApplyAttributeList(L"bindtablayoutname=\"tabs\" bindtabindex=\"2\"");
    manager.BindControls(&button);
    button.Place({0, 0, 40, 40});
    Send(button, UiEventType::ButtonDown, {20, 20});
    Send(button, UiEventType::ButtonUp, {20, 20});
    EXPECT_EQ(2, tabs.SelectedIndex());
    Strings order;
    for (const std::wstring& entry : log.entries) {
        if (entry.rfind(L"click", 0) == 0 || entry.rfind(L"tabselect", 0) == 0) {
            order.push_back(entry);
        }
    }
    EXPECT_EQ((Strings{L"click:go", L"tabselect:tabs"}), order);
    EXPECT_EQ(L"p2", Shown());
}

TEST(AnimationTabLayoutTest, SelectsPagesAsTheTabLayoutDoes) {
    CAnimationTabLayoutUI tabs;
    tabs.Add(new CControlUI());
    tabs.Add(new CControlUI());
    EXPECT_EQ(0, tabs.SelectedIndex());
    EXPECT_TRUE(tabs.SelectItem(1));
    EXPECT_FALSE(tabs.ItemAt(0)->IsVisible());
    EXPECT_TRUE(tabs.ItemAt(1)->IsVisible());
    EXPECT_EQ(&tabs, tabs.CastTo(L"TabLayout"));
}

}  // namespace
