#include "HorizontalLayoutUI.h"
#include "LabelUI.h"
#include "PaintManagerUI.h"
#include "TestCanvas.h"
#include "TestWindow.h"
#include "UiControlTestHelpers.h"
#include "VerticalLayoutUI.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace Orvel;
using controltest::RectText;
using controltest::Send;

namespace {

struct ChildCase {
    const wchar_t* attributes;
    RECT expected;
};

struct LayoutCase {
    const char* what;
    bool vertical;
    const wchar_t* layoutAttributes;
    RECT place;
    std::vector<ChildCase> children;
    int dpi;
};

CLinearLayoutUI* NewLayout(bool vertical) {
    if (vertical) {
        return new CVerticalLayoutUI();
    }
    return new CHorizontalLayoutUI();
}

// Expected rectangles worked out by hand from the sharing rules.
const LayoutCase kCases[] = {
    {"fixed and stretched share the height", true, L"", {0, 0, 100, 400},
     {{L"height=\"80\"", {0, 0, 100, 80}}, {L"", {0, 80, 100, 240}}, {L"", {0, 240, 100, 400}}}, 96},
    {"the last stretchable child takes the odd pixel", true, L"", {0, 0, 100, 401},
     {{L"height=\"80\"", {0, 0, 100, 80}}, {L"", {0, 80, 100, 240}}, {L"", {0, 240, 100, 401}}}, 96},
    {"a maximum below the share is kept, the rest not shared out", true, L"", {0, 0, 100, 300},
     {{L"", {0, 0, 100, 100}}, {L"", {0, 100, 100, 200}}, {L"maxheight=\"50\"", {0, 200, 100, 250}}}, 96},
    {"the last stretchable child takes what a limited one left", true, L"", {0, 0, 100, 300},
     {{L"", {0, 0, 100, 100}}, {L"maxheight=\"50\"", {0, 100, 100, 150}}, {L"", {0, 150, 100, 300}}}, 96},
    {"a minimum above the share overflows", true, L"", {0, 0, 100, 100},
     {{L"height=\"80\"", {0, 0, 100, 80}}, {L"minheight=\"50\"", {0, 80, 100, 130}}, {L"", {0, 130, 100, 130}}},
     96},
    {"inset, child padding and padding", true, L"inset=\"10,20,10,20\" childpadding=\"8\"", {0, 0, 200, 300},
     {{L"height=\"40\" padding=\"5,6,7,8\"", {15, 26, 183, 66}}, {L"", {10, 82, 190, 242}},
      {L"height=\"30\"", {10, 250, 190, 280}}},
     96},
    {"hidden children take no space and no child padding", true, L"childpadding=\"10\"", {0, 0, 100, 200},
     {{L"height=\"50\"", {0, 0, 100, 50}}, {L"visible=\"false\" height=\"999\"", {0, 0, 0, 0}},
      {L"", {0, 60, 100, 200}}},
     96},
    {"centred children", true, L"childalign=\"center\"", {0, 0, 100, 100},
     {{L"width=\"40\" height=\"20\"", {30, 0, 70, 20}}, {L"width=\"41\" height=\"20\"", {30, 20, 71, 40}}}, 96},
    {"right-aligned children keep their right padding", true, L"childalign=\"right\"", {0, 0, 100, 100},
     {{L"width=\"40\" height=\"20\" padding=\"0,0,5,0\"", {55, 0, 95, 20}},
      {L"width=\"40\" minwidth=\"60\" height=\"20\"", {40, 20, 100, 40}}},
     96},
    {"inset, child padding and sizes scale", true, L"inset=\"10,20,10,20\" childpadding=\"8\"", {0, 0, 300, 450},
     {{L"height=\"40\"", {15, 30, 285, 90}}, {L"", {15, 102, 285, 363}}, {L"height=\"30\"", {15, 375, 285, 420}}},
     144},
    {"fixed and stretched share the width", false, L"", {0, 0, 401, 50},
     {{L"width=\"80\"", {0, 0, 80, 50}}, {L"", {80, 0, 240, 50}}, {L"", {240, 0, 401, 50}}}, 96},
    {"vertically centred children", false, L"childvalign=\"vcenter\"", {0, 0, 300, 100},
     {{L"width=\"50\" height=\"20\"", {0, 40, 50, 60}}, {L"width=\"50\" height=\"21\"", {50, 40, 100, 61}}}, 96},
    {"bottom-aligned children keep their bottom padding", false, L"childvalign=\"bottom\"", {0, 0, 300, 100},
     {{L"width=\"50\" height=\"20\" padding=\"0,0,0,5\"", {0, 75, 50, 95}}}, 96},
    {"limits, padding and child padding across", false, L"inset=\"5,5,5,5\" childpadding=\"10\"", {0, 0, 310, 60},
     {{L"minwidth=\"100\"", {5, 5, 115, 55}}, {L"maxwidth=\"30\"", {125, 5, 155, 55}},
      {L"width=\"50\" padding=\"4,2,6,3\"", {169, 7, 219, 52}}},
     96},
};

TEST(LinearLayoutTest, ChildrenShareTheSpace) {
    for (const LayoutCase& item : kCases) {
        CPaintManagerUI manager;
        manager.DpiScale().SetDpi(item.dpi);
        std::unique_ptr<CLinearLayoutUI> layout(NewLayout(item.vertical));
        layout->ApplyAttributeList(item.layoutAttributes);
        manager.BindControls(layout.get());
        std::vector<CControlUI*> children;
        for (const ChildCase& child : item.children) {
            children.push_back(new CControlUI());
            children.back()->ApplyAttributeList(child.attributes);
            ASSERT_TRUE(layout->Add(children.back()));
        }
        layout->Place(item.place);
        for (size_t i = 0; i < children.size(); ++i) {
            EXPECT_EQ(RectText(item.children[i].expected), RectText(children[i]->ItemRect()))
                << item.what << ", child " << i;
        }
    }
}

// Records what the layout reports for its scroll bars.
class ReportingLayout : public CVerticalLayoutUI {
public:
    void UpdateScrollBars(const RECT& rect, int cxNeeded, int cyNeeded) override {
        area = rect;
        needed = CUiSize(cxNeeded, cyNeeded);
        ++reports;
    }
    CUiRect area;
    CUiSize needed;
    int reports = 0;
};

TEST(LinearLayoutTest, ReportsTheSizeItsChildrenNeed) {
    CPaintManagerUI manager;
    ReportingLayout layout;
    manager.BindControls(&layout);
    layout.ApplyAttributeList(L"inset=\"1,2,3,4\" childpadding=\"8\"");
    layout.Place({0, 0, 100, 50});
    EXPECT_EQ(1, layout.reports);
    EXPECT_EQ(CUiSize(0, 0), layout.needed) << "an empty layout still reports";
    EXPECT_EQ(RectText({1, 2, 97, 46}), RectText(layout.area));
    for (const wchar_t* attributes : {L"height=\"20\"", L"height=\"20\" width=\"30\"", L"height=\"20\""}) {
        auto* child = new CControlUI();
        child->ApplyAttributeList(attributes);
        layout.Add(child);
    }
    layout.Place({0, 0, 100, 50});
    EXPECT_EQ(CUiSize(30, 76), layout.needed);
}

TEST(LinearLayoutTest, FloatingChildrenFollowTheirAnchorsAfterAResize) {
    CPaintManagerUI manager;
    CVerticalLayoutUI layout;
    manager.BindControls(&layout);
    layout.SetInset({10, 10, 10, 10});
    auto* stacked = new CControlUI();
    auto* centred = new CControlUI();
    auto* spanning = new CControlUI();
    layout.Add(stacked);
    layout.Add(centred);
    layout.Add(spanning);
    centred->SetFloatAnchors(0.5, 0, 0.5, 0);
    centred->SetFloating(true);
    centred->SetFixedOffset(-20, 10);
    centred->SetFixedWidth(40);
    centred->SetFixedHeight(20);
    spanning->ApplyAttribute(L"float", L"0,0,1,1");

    layout.Place({50, 50, 250, 150});
    EXPECT_EQ(RectText({130, 60, 170, 80}), RectText(centred->ItemRect()));
    EXPECT_EQ(RectText({50, 50, 250, 150}), RectText(spanning->ItemRect()));
    EXPECT_EQ(RectText({60, 60, 240, 140}), RectText(stacked->ItemRect())) << "floating children take no space";
    layout.Place({50, 50, 350, 150});
    EXPECT_EQ(RectText({180, 60, 220, 80}), RectText(centred->ItemRect()));
    EXPECT_EQ(RectText({50, 50, 350, 150}), RectText(spanning->ItemRect()));
}

TEST(LinearLayoutTest, AnAutoWidthLabelLaysItsParentOutAgain) {
    TestWindow window([](UINT, WPARAM, LPARAM) { return false; });
    CPaintManagerUI manager;
    manager.Attach(window.Handle(), L"autowidth");
    CHorizontalLayoutUI row;
    auto* label = new CLabelUI();
    auto* spacer = new CControlUI();
    auto* tail = new CControlUI();
    label->ApplyAttributeList(L"text=\"ab\" autocalcwidth=\"true\" textpadding=\"2,0,3,0\"");
    tail->SetFixedWidth(10);
    row.Add(label);
    row.Add(spacer);
    row.Add(tail);
    manager.BindControls(&row);

    auto textWidth = [&](const wchar_t* text) {
        HDC dc = manager.PaintDC();
        HGDIOBJ old = SelectObject(dc, manager.FontById(-1));
        SIZE size = {};
        GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
        SelectObject(dc, old);
        return static_cast<int>(size.cx);
    };
    row.Place({0, 0, 300, 20});
    const int shortWidth = textWidth(L"ab") + 5;
    EXPECT_EQ(RectText({0, 0, shortWidth, 20}), RectText(label->ItemRect()));
    EXPECT_EQ(RectText({shortWidth, 0, 290, 20}), RectText(spacer->ItemRect()));

    ASSERT_FALSE(row.IsUpdateNeeded());
    label->SetText(L"abababab");
    EXPECT_TRUE(row.IsUpdateNeeded());
    row.Place(row.ItemRect());
    const int longWidth = textWidth(L"abababab") + 5;
    ASSERT_GT(longWidth, shortWidth);
    EXPECT_EQ(RectText({0, 0, longWidth, 20}), RectText(label->ItemRect()));
    EXPECT_EQ(RectText({longWidth, 0, 290, 20}), RectText(spacer->ItemRect()));
    EXPECT_EQ(RectText({290, 0, 300, 20}), RectText(tail->ItemRect()));
}

// A vertical layout with a 4-pixel strip at its bottom edge, 100 high within
// 50..150, stacked above a filler in a 200 x 400 parent.
class SeparatorTest : public ::testing::Test {
protected:
    SeparatorTest() {
        manager.BindControls(&parent);
        dragged = new CVerticalLayoutUI();
        dragged->ApplyAttributeList(L"sepheight=\"4\" height=\"100\" minheight=\"50\" maxheight=\"150\"");
        parent.Add(dragged);
        parent.Add(new CControlUI());
        parent.Place({0, 0, 200, 400});
    }

    bool Registered() const { return manager.PostPaintControls().Find(dragged) >= 0; }

    CPaintManagerUI manager;
    CVerticalLayoutUI parent;
    CVerticalLayoutUI* dragged;  // owned by parent
};

TEST_F(SeparatorTest, DragResizesTheLayoutWithinItsLimits) {
    EXPECT_EQ(RectText({0, 96, 200, 100}), RectText(dragged->SeparatorRect()));
    EXPECT_EQ(UINT{UiTraitWantsCursor}, dragged->TraitFlags());
    Send(*dragged, UiEventType::ButtonDown, {50, 50});
    EXPECT_FALSE(dragged->IsDragging()) << "a press off the strip";
    Send(*dragged, UiEventType::ButtonDown, {50, 98});
    ASSERT_TRUE(dragged->IsDragging());
    EXPECT_TRUE(Registered());

    const struct {
        int pointerY;
        int bottom;  // of the rectangle the drag leads to
        const char* what;
    } moves[] = {
        {120, 122, "follows the pointer"},
        {300, 150, "stops at the maximum"},
        {310, 150, "at the maximum"},
        {140, 50, "stops at the minimum"},
        {130, 50, "shrinking waits while the pointer is beyond the strip"},
        {49, 50, "at the minimum"},
        {40, 50, "at the minimum"},
        {45, 50, "growing waits while the pointer is inside the strip's inner edge"},
        {80, 85, "follows again"},
    };
    for (const auto& move : moves) {
        Send(*dragged, UiEventType::MouseMove, {50, move.pointerY});
        EXPECT_EQ(RectText({0, move.bottom - 4, 200, move.bottom}), RectText(dragged->SeparatorRect())) << move.what;
        EXPECT_EQ(RectText({0, 0, 200, 100}), RectText(dragged->ItemRect())) << "not before the release";
    }
    EXPECT_EQ(85, dragged->FixedHeight());

    TestCanvas canvas(200, 200);
    dragged->PaintAfterChildren(canvas.Dc(), canvas.Bounds());
    EXPECT_TRUE(NearRgb(0x555555, canvas.Rgb(100, 83))) << std::hex << canvas.Rgb(100, 83);
    EXPECT_EQ(RectText({0, 81, 200, 85}), RectText(canvas.ChangedBounds()));

    Send(*dragged, UiEventType::ButtonUp, {50, 80});
    EXPECT_FALSE(dragged->IsDragging());
    EXPECT_FALSE(Registered());
    EXPECT_EQ(RectText({0, 0, 200, 85}), RectText(dragged->ItemRect()));
    EXPECT_TRUE(parent.IsUpdateNeeded());
    parent.Place(parent.ItemRect());
    EXPECT_EQ(RectText({0, 85, 200, 400}), RectText(parent.ItemAt(1)->ItemRect()));

    dragged->SetEnabled(false);
    EXPECT_EQ(0u, dragged->TraitFlags());
    Send(*dragged, UiEventType::ButtonDown, {50, 83});
    EXPECT_FALSE(dragged->IsDragging()) << "a disabled layout";
}

TEST_F(SeparatorTest, ADestroyedLayoutLeavesNothingToPaint) {
    Send(*dragged, UiEventType::ButtonDown, {50, 98});
    ASSERT_TRUE(Registered());
    dragged->SetImmediateMode(true);
    EXPECT_FALSE(Registered());
    dragged->SetImmediateMode(false);
    Send(*dragged, UiEventType::ButtonUp, {50, 98});
    Send(*dragged, UiEventType::ButtonDown, {50, 98});
    ASSERT_TRUE(Registered());
    parent.SetDefersChildDeletion(false);
    parent.Remove(dragged);
    EXPECT_EQ(0, manager.PostPaintControls().Count());
}

TEST(SeparatorImmediateTest, ALeadingStripResizesWhileDragging) {
    CPaintManagerUI manager;
    CHorizontalLayoutUI parent;
    manager.BindControls(&parent);
    parent.Add(new CControlUI());
    auto* dragged = new CHorizontalLayoutUI();
    dragged->ApplyAttributeList(L"sepwidth=\"-6\" sepimm=\"true\" width=\"100\"");
    parent.Add(dragged);
    parent.Place({0, 0, 400, 50});
    EXPECT_EQ(RectText({300, 0, 306, 50}), RectText(dragged->SeparatorRect()));

    Send(*dragged, UiEventType::ButtonDown, {303, 10});
    ASSERT_TRUE(dragged->IsDragging());
    EXPECT_EQ(0, manager.PostPaintControls().Count());
    Send(*dragged, UiEventType::MouseMove, {283, 10});
    EXPECT_EQ(RectText({280, 0, 400, 50}), RectText(dragged->ItemRect()));
    EXPECT_EQ(120, dragged->FixedWidth());
    EXPECT_TRUE(parent.IsUpdateNeeded());
    Send(*dragged, UiEventType::MouseMove, {320, 10});
    EXPECT_EQ(RectText({317, 0, 400, 50}), RectText(dragged->ItemRect()));
    Send(*dragged, UiEventType::ButtonUp, {320, 10});
    parent.Place(parent.ItemRect());
    EXPECT_EQ(RectText({0, 0, 317, 50}), RectText(parent.ItemAt(0)->ItemRect()));
    EXPECT_EQ(RectText({317, 0, 400, 50}), RectText(dragged->ItemRect()));
}

}  // namespace
