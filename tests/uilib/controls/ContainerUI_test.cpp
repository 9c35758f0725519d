#include "ContainerUI.h"
#include "PaintManagerUI.h"
#include "TestCanvas.h"
#include "UiControlTestHelpers.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Orvel;
using controltest::RectText;

namespace {

constexpr DWORD kWhiteRgb = 0xFFFFFF;

// Counts its own destruction.
class Counted : public CControlUI {
public:
    explicit Counted(int* destroyed) : destroyed_(destroyed) {}
    ~Counted() override { ++*destroyed_; }

private:
    int* destroyed_;
};

class ContainerListTest : public ::testing::Test {
protected:
    ContainerListTest() { manager.BindControls(&container); }

    CControlUI* AddCounted() {
        auto* child = new Counted(&destroyed);
        container.Add(child);
        return child;
    }

    int destroyed = 0;
    CPaintManagerUI manager;
    CContainerUI container;
};

TEST_F(ContainerListTest, KeepsOrderAndRefusesWhatIsNotThere) {
    EXPECT_FALSE(container.Add(nullptr));
    CControlUI* a = AddCounted();
    CControlUI* b = AddCounted();
    CControlUI* c = new Counted(&destroyed);
    ASSERT_TRUE(container.AddAt(c, 0));
    EXPECT_EQ(&container, c->Parent());
    EXPECT_EQ(&manager, c->Manager());
    EXPECT_EQ((std::vector<CControlUI*>{c, a, b}),
              (std::vector<CControlUI*>{container.ItemAt(0), container.ItemAt(1), container.ItemAt(2)}));
    EXPECT_EQ(nullptr, container.ItemAt(3));
    EXPECT_EQ(nullptr, container.ItemAt(-1));
    EXPECT_EQ(2, container.IndexOf(b));

    EXPECT_TRUE(container.MoveItem(c, 2));
    EXPECT_EQ(2, container.IndexOf(c));
    EXPECT_FALSE(container.MoveItem(c, 3)) << "past the end";
    EXPECT_FALSE(container.MoveItem(c, -1));
    EXPECT_EQ(3, container.ItemCount());
    EXPECT_EQ(2, container.IndexOf(c));
    CControlUI stranger;
    EXPECT_FALSE(container.MoveItem(&stranger, 0));
    EXPECT_FALSE(container.Remove(&stranger));
    EXPECT_FALSE(container.RemoveAt(5));

    auto* view = static_cast<IContainerUI*>(container.CastTo(L"IContainer"));
    ASSERT_NE(nullptr, view);
    EXPECT_EQ(3, view->ItemCount());
    EXPECT_EQ(&container, container.CastTo(L"container"));
    EXPECT_EQ(&container, container.CastTo(L"Control"));
    EXPECT_EQ(0, destroyed);
}

// A refused control stays the caller's, bound to nothing.
TEST_F(ContainerListTest, AddAtABadIndexLeavesTheControlUnbound) {
    AddCounted();
    for (int index : {-1, 2, 100}) {
        SCOPED_TRACE(index);
        Counted refused(&destroyed);
        refused.SetName(L"refused");
        EXPECT_FALSE(container.AddAt(&refused, index));
        EXPECT_EQ(nullptr, refused.Parent());
        EXPECT_EQ(nullptr, refused.Manager());
        EXPECT_EQ(nullptr, manager.ControlByName(L"refused"));
        EXPECT_EQ(-1, container.IndexOf(&refused));
    }
    EXPECT_EQ(1, container.ItemCount());
}

TEST_F(ContainerListTest, RemovedChildrenAreDeletedAfterTheCurrentMessage) {
    CControlUI* a = AddCounted();
    AddCounted();
    AddCounted();
    EXPECT_TRUE(container.Remove(a));
    EXPECT_TRUE(container.RemoveAt(0));
    EXPECT_EQ(1, container.ItemCount());
    EXPECT_EQ(0, destroyed) << "deferred";
    manager.ProcessDeferredWork();
    EXPECT_EQ(2, destroyed);

    container.SetDefersChildDeletion(false);
    container.RemoveAll();
    EXPECT_EQ(3, destroyed) << "at once";
    EXPECT_EQ(0, container.ItemCount());

    container.SetOwnsChildren(false);
    Counted kept(&destroyed);
    container.Add(&kept);
    container.RemoveAll();
    manager.ProcessDeferredWork();
    EXPECT_EQ(3, destroyed) << "not owned";
}

TEST_F(ContainerListTest, StatePassesToEveryChild) {
    CContainerUI* inner = new CContainerUI();
    container.Add(inner);
    CControlUI* leaf = new CControlUI();
    inner->Add(leaf);
    CControlUI* sibling = AddCounted();
    sibling->SetEnabled(false);

    container.SetEnabled(false);
    EXPECT_FALSE(inner->IsEnabled());
    EXPECT_FALSE(leaf->IsEnabled());
    container.SetEnabled(true);
    EXPECT_TRUE(leaf->IsEnabled());
    EXPECT_TRUE(sibling->IsEnabled()) << "whatever its own earlier state";

    container.SetVisible(false);
    EXPECT_FALSE(leaf->IsVisible());
    CControlUI* late = new CControlUI();
    container.Add(late);
    EXPECT_FALSE(late->IsVisible()) << "added to a hidden container";
    container.SetVisible(true);
    EXPECT_TRUE(leaf->IsVisible());
    EXPECT_TRUE(late->IsVisible());
}

TEST_F(ContainerListTest, AttributesAndNextSelectable) {
    container.ApplyAttribute(L"childalign", L"center");
    EXPECT_EQ(CContainerUI::AlignCenter, container.ChildAlign());
    container.ApplyAttribute(L"childalign", L"Right");
    container.ApplyAttribute(L"ChildAlign", L"right");
    EXPECT_EQ(CContainerUI::AlignCenter, container.ChildAlign()) << "compared case-sensitively";
    container.ApplyAttribute(L"childvalign", L"bottom");
    EXPECT_EQ(CContainerUI::AlignBottom, container.ChildVAlign());
    container.ApplyAttribute(L"INSET", L"1,2,3,4");
    container.ApplyAttribute(L"childpadding", L"6");
    container.ApplyAttribute(L"scrollstepsize", L"5");
    container.ApplyAttribute(L"scrollstepsize", L"-5");
    container.ApplyAttribute(L"mousechild", L"false");
    manager.DpiScale().SetDpi(144);
    EXPECT_EQ(RectText({2, 3, 5, 6}), RectText(container.Inset()));
    EXPECT_EQ(9, container.ChildPadding());
    EXPECT_EQ(8, container.ScrollStep());
    EXPECT_FALSE(container.ChildrenTakeMouse());

    class ListItem : public CControlUI {
    public:
        void* CastTo(const wchar_t* name) override {
            return _wcsicmp(name, L"ListItem") == 0 ? this : CControlUI::CastTo(name);
        }
    };
    EXPECT_EQ(-1, container.NextSelectable(0, true)) << "empty";
    container.Add(new CControlUI());
    container.Add(new ListItem());
    container.Add(new ListItem());
    container.Add(new ListItem());
    container.ItemAt(2)->SetVisible(false);
    EXPECT_EQ(1, container.NextSelectable(-4, true));
    EXPECT_EQ(3, container.NextSelectable(2, true));
    EXPECT_EQ(1, container.NextSelectable(2, false));
    EXPECT_EQ(1, container.NextSelectable(0, false)) << "none before: forward from the start";
    container.ItemAt(3)->SetEnabled(false);
    EXPECT_EQ(-1, container.NextSelectable(2, true));
}

TEST(ContainerPlaceTest, ChildrenCoverTheScaledClientAreaWithinTheirLimits) {
    CPaintManagerUI manager;
    manager.DpiScale().SetDpi(144);
    CContainerUI container;
    manager.BindControls(&container);
    container.SetInset({10, 10, 20, 20});
    auto* free = new CControlUI();
    auto* limited = new CControlUI();
    auto* floating = new CControlUI();
    container.Add(free);
    container.Add(limited);
    container.Add(floating);
    limited->ApplyAttributeList(L"maxwidth=\"40\" minheight=\"400\"");
    floating->ApplyAttributeList(L"float=\"1,0,1,0\" width=\"10\" height=\"10\"");
    floating->SetFixedOffset(-10, 0);
    container.Place({0, 0, 300, 300});
    EXPECT_EQ(RectText({15, 15, 270, 270}), RectText(free->ItemRect()));
    EXPECT_EQ(RectText({15, 15, 75, 615}), RectText(limited->ItemRect()));
    EXPECT_EQ(RectText({285, 0, 300, 15}), RectText(floating->ItemRect()));
}

CControlUI* Visit(CControlUI* control, void*) {
    return control;
}

CControlUI* CollectNeedingUpdate(CControlUI* control, void* data) {
    if (!control->IsUpdateNeeded()) {
        return nullptr;
    }
    static_cast<std::vector<CControlUI*>*>(data)->push_back(control);
    return control;
}

TEST(ContainerFindTest, HitTestsLookAtChildrenInsideTheInsetAndFloatingOnesAnywhere) {
    CPaintManagerUI manager;
    CContainerUI container;
    manager.BindControls(&container);
    container.SetInset({10, 10, 10, 10});
    auto* lower = new CControlUI();
    auto* upper = new CControlUI();
    auto* floating = new CControlUI();
    container.Add(lower);
    container.Add(upper);
    container.Add(floating);
    floating->ApplyAttributeList(L"float=\"true\" pos=\"0,0,10,10\"");
    container.Place({0, 0, 100, 100});
    const UINT hit = UiFindVisible | UiFindHitTest;
    const struct {
        POINT point;
        UINT flags;
        CControlUI* expected;
    } cases[] = {
        {{50, 50}, hit, lower},
        {{50, 50}, hit | UiFindTopFirst, upper},
        {{5, 5}, hit, floating},
        {{50, 5}, hit, &container},
        {{150, 50}, hit, nullptr},
        {{50, 50}, hit | UiFindMeFirst, &container},
    };
    for (const auto& item : cases) {
        POINT point = item.point;
        EXPECT_EQ(item.expected, container.FindBy(Visit, &point, item.flags))
            << point.x << "," << point.y << " flags " << std::hex << item.flags;
    }
    container.SetChildrenTakeMouse(false);
    POINT point = {50, 50};
    EXPECT_EQ(&container, container.FindBy(Visit, &point, hit));
    container.SetAcceptsMouse(false);
    EXPECT_EQ(nullptr, container.FindBy(Visit, &point, hit));
    container.SetChildrenTakeMouse(true);
    EXPECT_EQ(upper, container.FindBy(Visit, &point, hit | UiFindTopFirst)) << "children still take the mouse";

    // A container that needs a new layout answers for its whole subtree.
    std::vector<CControlUI*> found;
    upper->RequestUpdate();
    container.FindBy(CollectNeedingUpdate, &found, UiFindVisible | UiFindUpdateTest);
    EXPECT_EQ((std::vector<CControlUI*>{upper}), found);
    found.clear();
    container.RequestUpdate();
    EXPECT_EQ(nullptr, container.FindBy(CollectNeedingUpdate, &found, UiFindVisible | UiFindUpdateTest));
    EXPECT_EQ((std::vector<CControlUI*>{&container}), found);
}

TEST(ContainerPaintTest, ChildrenAreClippedToTheClientAreaAndFloatingOnesToTheContainer) {
    CPaintManagerUI manager;
    CContainerUI container;
    manager.BindControls(&container);
    container.SetInset({5, 5, 5, 5});
    auto* wide = new CControlUI();
    auto* floating = new CControlUI();
    container.Add(wide);
    container.Add(floating);
    wide->ApplyAttributeList(L"minwidth=\"100\" bkcolor=\"#FFFF0000\"");
    floating->ApplyAttributeList(L"float=\"true\" width=\"10\" height=\"10\" bkcolor=\"#FF00FF00\"");
    floating->SetFixedOffset(-3, -3);
    container.Place({10, 10, 60, 60});
    ASSERT_EQ(RectText({15, 15, 115, 55}), RectText(wide->ItemRect()));

    TestCanvas canvas(80, 80);
    container.Paint(canvas.Dc(), canvas.Bounds());
    EXPECT_EQ(0xFF0000u, canvas.Rgb(50, 30));
    EXPECT_EQ(kWhiteRgb, canvas.Rgb(57, 30)) << "inside the inset";
    EXPECT_EQ(kWhiteRgb, canvas.Rgb(70, 30)) << "beyond the container";
    EXPECT_EQ(0x00FF00u, canvas.Rgb(12, 12)) << "floating, over the inset";
    EXPECT_EQ(kWhiteRgb, canvas.Rgb(8, 8)) << "floating, beyond the container";
    EXPECT_EQ(RectText({10, 10, 55, 55}), RectText(canvas.ChangedBounds()));

    // Repainting only the inset strip still reaches the floating child.
    canvas.Clear();
    container.Paint(canvas.Dc(), {10, 10, 60, 14});
    EXPECT_EQ(RectText({10, 10, 17, 14}), RectText(canvas.ChangedBounds()));
}

}  // namespace
