// The text control on a real window: where its links are laid out, what a
// release over them reports, the hover look and the cursor.
#include "LayoutBuilder.h"
#include "PaintManagerUI.h"
#include "TestControls.h"
#include "TextUI.h"
#include "UiControlTestHelpers.h"
#include "UiTestWindow.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace Orvel;
using controltest::RectText;
using Log = std::vector<std::wstring>;

namespace {

POINT Centre(const RECT& rect) {
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// Black text on white filling a 300 x 100 window, with three links on its
// first line.
class TextTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* root = new TestContainer(L"root");
        root->SetBackColor(0xFFFFFFFF);
        text = root->Add(new CTextUI(), {0, 0, 300, 100});
        text->SetName(L"text");
        text->ApplyAttributeList(L"showhtml=\"true\" textcolor=\"#FF000000\"");
        text->SetText(L"<a one>first</a> and <a two>second</a> and <a three>third</a>");
        ASSERT_TRUE(window.Manager().AttachRoot(root));
        log.ignored = {L"windowinit", L"setfocus", L"killfocus"};
        window.Manager().AddNotifier(&log);
        SetCursorPos(1200, 1000);
        window.Show();
    }

    void Click(POINT point) {
        SendMessageW(window.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
        SendMessageW(window.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    }
    void Move(POINT point) { SendMessageW(window.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y)); }
    // Pixels of a rectangle in the window's link-hover colour.
    int HoverPixels(const RECT& rect) {
        window.Repaint();
        int count = 0;
        for (int y = rect.top; y < rect.bottom; ++y) {
            for (int x = rect.left; x < rect.right; ++x) {
                count += (window.OffscreenPixel(x, y) & 0xFFFFFF) == 0xD3215F ? 1 : 0;
            }
        }
        return count;
    }

    UiTestWindow window{300, 100};
    controltest::NotifyLog log;
    CTextUI* text = nullptr;  // owned by the tree
};

TEST_F(TextTest, EachLinkIsLaidOutInOrderAndAReleaseOverOneReportsItsIndex) {
    ASSERT_EQ(3, text->LinkCount());
    EXPECT_EQ(L"two", std::wstring(text->LinkTarget(1).Data()));
    for (int i = 0; i < 3; ++i) {
        const CUiRect rect = text->LinkRect(i);
        SCOPED_TRACE(RectText(rect));
        EXPECT_FALSE(rect.IsEmpty());
        EXPECT_GE(rect.left, 2) << "inside the text padding";
        if (i > 0) {
            EXPECT_GT(rect.left, text->LinkRect(i - 1).right) << "the words between them";
            EXPECT_EQ(text->LinkRect(0).top, rect.top);
        }
    }
    EXPECT_EQ(UINT{UiTraitWantsCursor}, text->TraitFlags());

    Click(Centre(text->LinkRect(1)));
    EXPECT_EQ(Log{L"link:text"}, log.entries);
    EXPECT_EQ(std::vector<WPARAM>{1}, log.wParams);

    log.entries.clear();
    Click({150, 80});
    EXPECT_EQ(Log{L"click:text"}, log.entries);
}

TEST_F(TextTest, OnlyEightLinksAreRecordedAndPlainTextHasNone) {
    std::wstring markup;
    for (int i = 0; i < 9; ++i) {
        markup += L"<a t" + std::to_wstring(i) + L">L" + std::to_wstring(i) + L"</a> ";
    }
    text->SetText(markup.c_str());
    window.Repaint();
    ASSERT_EQ(CTextUI::kMaxLinks, text->LinkCount());
    const CUiRect last = text->LinkRect(7);
    EXPECT_EQ(L"t7", std::wstring(text->LinkTarget(7).Data()));
    int ninth = 0;
    for (int x = last.right + 3; x < 300; ++x) {
        for (int y = last.top; y < last.bottom; ++y) {
            ninth += (window.OffscreenPixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
        }
    }
    EXPECT_GT(ninth, 0) << "the ninth link is drawn all the same";

    // Without html the old rectangles must not catch the pointer.
    text->SetShowHtml(false);
    window.Repaint();
    EXPECT_EQ(0, text->LinkCount());
    EXPECT_EQ(0u, text->TraitFlags());
    log.entries.clear();
    Click(Centre(last));
    EXPECT_EQ(Log{L"click:text"}, log.entries);
    text->SetText(L"");
    window.Repaint();
    EXPECT_EQ(0, text->LinkCount());
}

TEST_F(TextTest, TheLinkUnderThePointerTakesTheHoverColourUntilItLeaves) {
    const CUiRect second = text->LinkRect(1);
    EXPECT_EQ(0, HoverPixels(second));
    Move(Centre(second));
    EXPECT_EQ(1, text->HoveredLink());
    EXPECT_GT(HoverPixels(second), 0);
    EXPECT_EQ(0, HoverPixels(text->LinkRect(0)));

    Move({150, 80});
    EXPECT_EQ(-1, text->HoveredLink());
    EXPECT_EQ(0, HoverPixels(second));

    Move(Centre(second));
    log.entries.clear();
    // Leaving the window's client area.
    Move({-1, -1});
    EXPECT_EQ(-1, text->HoveredLink());
    EXPECT_EQ(Log{L"mouseleave:text"}, log.entries);
}

TEST_F(TextTest, TheHandShowsOverLinksAndTheCursorAttributeIsANumber) {
    const auto cursorAt = [&](POINT point) {
        ::SetCursor(nullptr);
        controltest::Send(*text, UiEventType::SetCursor, point);
        return GetCursor();
    };
    EXPECT_EQ(LoadCursorW(nullptr, IDC_HAND), cursorAt(Centre(text->LinkRect(2))));
    EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), cursorAt({150, 80}));
    text->ApplyAttribute(L"cursor", L"32513");
    EXPECT_EQ(32513, text->CursorId());
    EXPECT_EQ(LoadCursorW(nullptr, IDC_IBEAM), cursorAt({150, 80}));
    text->ApplyAttribute(L"cursor", L"98048");  // 32512 + 65536: cut to 16 bits
    EXPECT_EQ(32512, text->CursorId());
}

TEST_F(TextTest, AutoWidthTakesTheTextsWidth) {
    text->SetShowHtml(false);
    text->SetText(L"WWWW");
    const SIZE available = {300, 100};
    EXPECT_EQ(300, text->MeasureSize(available).cx) << "the fixed width, without auto width";
    text->SetAutoWidth(true);
    const int four = text->MeasureSize(available).cx;
    text->SetText(L"WWWWWWWW");
    const int eight = text->MeasureSize(available).cx;
    EXPECT_GT(four, 4);
    EXPECT_GT(eight, four + 10);
    EXPECT_LT(eight, 2 * four + 4);
    EXPECT_EQ(eight, text->FixedWidth());
}

TEST(TextMarkupTest, TheBuilderMakesTextControlsThatBreakWords) {
    CLayoutBuilder builder;
    std::unique_ptr<CControlUI> control(builder.Build(L"<Window><Text text=\"a\" cursor=\"32649\"/></Window>"));
    auto* text = static_cast<CTextUI*>(control ? control->CastTo(L"Text") : nullptr);
    ASSERT_NE(nullptr, text);
    EXPECT_NE(nullptr, text->CastTo(L"label"));
    EXPECT_EQ(32649, text->CursorId());
    EXPECT_EQ(UINT{DT_WORDBREAK}, text->TextStyle());
    EXPECT_EQ(CUiRect(2, 0, 2, 0), text->TextPadding());
    EXPECT_EQ(0, text->LinkCount());
}

}  // namespace
