#include "PaintManagerUI.h"
#include "ScrollBarUI.h"
#include "TileLayoutUI.h"
#include "UiControlTestHelpers.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Orvel;
using controltest::RectText;

namespace {

struct TileCase {
    const char* what;
    const wchar_t* layoutAttributes;
    RECT place;
    std::vector<const wchar_t*> children;
    std::vector<RECT> expected;
};

// Worked out by hand: columns of equal width, rows as high as their tallest
// member, each child centred in its tile.
const TileCase kCases[] = {
    {"three columns of 100; the fourth child starts a second row", L"columns=\"3\"", {0, 0, 300, 200},
     {L"height=\"30\"", L"height=\"30\"", L"height=\"30\"", L"height=\"30\""},
     {{0, 0, 100, 30}, {100, 0, 200, 30}, {200, 0, 300, 30}, {0, 30, 100, 60}}},
    {"item width 120 in 250: two columns of 125", L"itemsize=\"120,80\"", {0, 0, 250, 200},
     {L"height=\"30\"", L"height=\"30\"", L"height=\"30\""}, {{0, 0, 125, 30}, {125, 0, 250, 30}, {0, 30, 125, 60}}},
    {"an item wider than the layout still gives one column", L"itemsize=\"500,10\" columns=\"4\"", {0, 0, 250, 200},
     {L"height=\"20\"", L"height=\"20\""}, {{0, 0, 250, 20}, {0, 20, 250, 40}}},
    {"child padding, centring in a row as high as its tallest member",
     L"columns=\"2\" childpadding=\"10\" inset=\"5,5,5,5\"", {0, 0, 210, 200},
     {L"width=\"40\" height=\"20\"", L"height=\"30\"", L"height=\"10\" padding=\"4,0,6,0\""},
     {{32, 10, 72, 30}, {110, 5, 205, 35}, {9, 45, 94, 55}}},
    {"hidden children take no tile, floating ones keep their anchors", L"columns=\"2\"", {0, 0, 200, 100},
     {L"height=\"10\"", L"visible=\"false\" height=\"10\"", L"float=\"true\" pos=\"5,5,15,15\"", L"height=\"10\""},
     {{0, 0, 100, 10}, {0, 0, 0, 0}, {5, 5, 15, 15}, {100, 0, 200, 10}}},
};

TEST(TileLayoutTest, TilesForColumnCountsAndItemSizes) {
    for (const TileCase& c : kCases) {
        SCOPED_TRACE(c.what);
        CTileLayoutUI tiles;
        tiles.ApplyAttributeList(c.layoutAttributes);
        std::vector<CControlUI*> children;
        for (const wchar_t* attributes : c.children) {
            auto* child = new CControlUI();
            child->ApplyAttributeList(attributes);
            tiles.Add(child);
            children.push_back(child);
        }
        tiles.Place(c.place);
        for (size_t i = 0; i < children.size(); ++i) {
            EXPECT_EQ(RectText(c.expected[i]), RectText(children[i]->ItemRect())) << "child " << i;
        }
    }
}

TEST(TileLayoutTest, RowsBeyondTheHeightScroll) {
    CTileLayoutUI tiles;
    tiles.ApplyAttributeList(L"columns=\"2\" vscrollbar=\"true\"");
    std::vector<CControlUI*> children;
    for (int i = 0; i < 6; ++i) {
        auto* child = new CControlUI();
        child->SetFixedHeight(40);
        tiles.Add(child);
        children.push_back(child);
    }
    tiles.Place({0, 0, 116, 100});
    CScrollBarUI* bar = tiles.VerticalBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(20, bar->ScrollRange()) << "three rows of 40 in 100";
    EXPECT_EQ(RectText({50, 80, 100, 120}), RectText(children[5]->ItemRect())) << "columns share 116 less the bar";
    tiles.ScrollToBottom();
    EXPECT_EQ(RectText({50, 60, 100, 100}), RectText(children[5]->ItemRect()));
    tiles.Place({0, 0, 116, 100});
    EXPECT_EQ(RectText({50, 60, 100, 100}), RectText(children[5]->ItemRect())) << "placing again keeps the scroll";

    tiles.ApplyAttribute(L"columns", L"0");
    EXPECT_EQ(2, tiles.Columns()) << "ignored";
    EXPECT_EQ(&tiles, tiles.CastTo(L"tilelayout"));
    EXPECT_NE(nullptr, tiles.CastTo(L"Container"));
}

}  // namespace
