// The classes a skin may name that have no behaviour of their own here,
// built and painted on a real window: each shows something readable.
#include "ComboUI.h"
#include "EditUI.h"
#include "LayoutBuilder.h"
#include "PaintManagerUI.h"
#include "UiControlTestHelpers.h"
#include "UiTestWindow.h"

#include <gtest/gtest.h>

#include <string>

using namespace Orvel;
using controltest::RectText;

namespace {

constexpr DWORD kWhiteRgb = 0xFFFFFF;

class StandInTest : public ::testing::Test {
protected:
    void SetUp() override {
        CLayoutBuilder builder;
        CControlUI* root = builder.Build(
            L"<Window><VerticalLayout bkcolor=\"#FFFFFFFF\">"
            L"<Combo name=\"combo\" height=\"24\"><ListLabelElement name=\"one\" text=\"One\"/>"
            L"<ListLabelElement text=\"Two\"/><ListLabelElement text=\"Three\"/></Combo>"
            L"<List height=\"48\"><ListHeader height=\"24\"><ListHeaderItem name=\"header\" text=\"Name\"/>"
            L"<ListHeaderItem text=\"Size\"/></ListHeader>"
            L"<ListContainerElement name=\"row\" height=\"24\" text=\"Row\"><Button name=\"x\" width=\"20\"/>"
            L"</ListContainerElement></List>"
            L"<TreeView height=\"24\"><TreeNode name=\"node\" text=\"Node\"/></TreeView>"
            L"<RichEdit name=\"rich\" height=\"24\" text=\"typed\"/>"
            L"</VerticalLayout></Window>",
            nullptr, nullptr, &window.Manager());
        ASSERT_TRUE(window.Manager().AttachRoot(root));
        window.Show();
    }

    CControlUI* Named(const wchar_t* name) { return window.Manager().ControlByName(name); }

    // Pixels of the window's paint that are not the white background.
    int Inked(const RECT& rect) {
        int inked = 0;
        for (LONG y = rect.top; y < rect.bottom; ++y) {
            for (LONG x = rect.left; x < rect.right; ++x) {
                inked += (window.OffscreenPixel(x, y) & kWhiteRgb) != kWhiteRgb ? 1 : 0;
            }
        }
        return inked;
    }

    UiTestWindow window{300, 160};
};

TEST_F(StandInTest, AComboShowsOneTextAndKeepsItsItemsOutOfSight) {
    auto* combo = static_cast<CComboUI*>(Named(L"combo"));
    ASSERT_NE(nullptr, combo);
    EXPECT_EQ(3, combo->ItemCount());
    EXPECT_EQ(L"One", std::wstring(combo->ShownText().Data()));
    EXPECT_GT(Inked(combo->ItemRect()), 10);
    for (int i = 0; i < combo->ItemCount(); ++i) {
        EXPECT_TRUE(combo->ItemAt(i)->ItemRect().IsEmpty()) << "item " << i << " is neither placed nor painted";
    }
    POINT inside = {combo->ItemRect().left + 5, combo->ItemRect().top + 5};
    EXPECT_EQ(combo, window.Manager().ControlAtPoint(inside));
    EXPECT_EQ(Named(L"one"), combo->ItemAt(0)) << "the items keep their names";
    combo->SetText(L"Own");
    EXPECT_EQ(L"Own", std::wstring(combo->ShownText().Data()));
}

TEST_F(StandInTest, HeadingsRowsAndTreeNodesShowTheirTextAheadOfTheirControls) {
    for (const wchar_t* name : {L"header", L"row", L"node"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        CControlUI* control = Named(name);
        ASSERT_NE(nullptr, control);
        EXPECT_GT(Inked(control->ItemRect()), 10);
    }
    // The row's button comes after the row's text, not over it.
    const CUiRect& row = Named(L"row")->ItemRect();
    const CUiRect& button = Named(L"x")->ItemRect();
    EXPECT_GT(button.left, row.left + 10) << RectText(button);
    EXPECT_EQ(row.left + 20 + (button.left - row.left), button.right);
}

TEST_F(StandInTest, ARichEditIsTheEditField) {
    auto* rich = static_cast<CEditUI*>(Named(L"rich")->CastTo(L"Edit"));
    ASSERT_NE(nullptr, rich);
    EXPECT_GT(Inked(rich->ItemRect()), 10);
    window.Manager().FocusControl(rich);
    ASSERT_NE(nullptr, rich->EditWindowHandle());
    wchar_t text[16] = {};
    GetWindowTextW(rich->EditWindowHandle(), text, 16);
    EXPECT_STREQ(L"typed", text);
    window.Manager().FocusControl(nullptr);
}

}  // namespace
