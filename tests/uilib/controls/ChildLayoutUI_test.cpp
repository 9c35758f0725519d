// A child layout filled from a markup file of its own when its window's
// tree is attached; the window's skin itself comes from markup text.
#include "ChildLayoutUI.h"
#include "LayoutBuilder.h"
#include "OptionUI.h"
#include "PaintManagerUI.h"
#include "ResourcePathScope.h"
#include "TestEnv.h"
#include "UiControlTestHelpers.h"
#include "UiTestWindow.h"

#include <gtest/gtest.h>

#include <string>

using namespace Orvel;
using controltest::RectText;

namespace {

// Sub-skins are looked up in this test's data folder.
class ChildLayoutTest : public ::testing::Test {
protected:
    // The window's skin: a child layout of the given file below a plain layout.
    CChildLayoutUI* Attach(const wchar_t* file) {
        const std::wstring skin = std::wstring(L"<Window><VerticalLayout><ChildLayout name=\"child\" xmlfile=\"") +
                                  file + L"\" height=\"60\" /></VerticalLayout></Window>";
        CLayoutBuilder builder;
        CControlUI* root = builder.Build(skin.c_str(), nullptr, nullptr, &window.Manager());
        EXPECT_NE(nullptr, root);
        EXPECT_TRUE(window.Manager().AttachRoot(root));
        return static_cast<CChildLayoutUI*>(window.Manager().ControlByName(L"child"));
    }

    const ResourcePathScope data{testenv::SourceDir() + L"\\tests\\uilib\\controls\\data\\"};
    UiTestWindow window{200, 120};
};

TEST_F(ChildLayoutTest, TheSubSkinBecomesItsOnlyChild) {
    CChildLayoutUI* child = Attach(L"child_page.xml");
    ASSERT_NE(nullptr, child);
    EXPECT_EQ(L"child_page.xml", std::wstring(child->MarkupFile()));
    ASSERT_EQ(1, child->ItemCount());
    CControlUI* page = window.Manager().ControlByName(L"page");
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(page, child->ItemAt(0));
    CControlUI* caption = window.Manager().ControlByName(L"caption");
    ASSERT_NE(nullptr, caption);
    EXPECT_EQ(page, caption->Parent());
    EXPECT_EQ(L"sub-skin", std::wstring(caption->Text())) << "the sub-skin's own style";
    auto* choice = static_cast<COptionUI*>(window.Manager().ControlByName(L"choice"));
    ASSERT_NE(nullptr, choice);
    EXPECT_TRUE(choice->IsSelected());
    ASSERT_NE(nullptr, window.Manager().OptionGroup(L"pick"));

    window.Show();
    EXPECT_EQ(RectText({0, 0, 200, 60}), RectText(page->ItemRect()));
    EXPECT_EQ(RectText({0, 0, 200, 20}), RectText(caption->ItemRect()));

    // Joining the window again builds no second copy.
    window.Manager().BindControls(child, child->Parent());
    EXPECT_EQ(1, child->ItemCount());
}

TEST_F(ChildLayoutTest, AFileThatCannotBeBuiltLeavesItEmpty) {
    CChildLayoutUI* child = Attach(L"no_such_page.xml");
    ASSERT_NE(nullptr, child);
    EXPECT_EQ(0, child->ItemCount());

    CChildLayoutUI unnamed;
    window.Manager().BindControls(&unnamed, child);
    EXPECT_EQ(0, unnamed.ItemCount()) << "no file, nothing built";

    child->SetMarkupFile(L"child_page.xml");
    window.Manager().BindControls(child, child->Parent());
    EXPECT_EQ(1, child->ItemCount()) << "built once the file is there";
}

// Controls of that name anywhere in the tree.
int CountNamed(CControlUI* root, const wchar_t* name) {
    struct Search {
        const wchar_t* name;
        int found;
    } search = {name, 0};
    root->FindBy(
        [](CControlUI* control, void* data) -> CControlUI* {
            auto* search = static_cast<Search*>(data);
            search->found += control->Name() == search->name ? 1 : 0;
            return nullptr;
        },
        &search, 0);
    return search.found;
}

std::wstring PageWith(const std::wstring& file) {
    return L"<Window><VerticalLayout name=\"page\"><ChildLayout xmlfile=\"" + file + L"\"/></VerticalLayout></Window>";
}

// A sub-skin is input too: one that holds itself, directly or through other
// documents, or that nests without end, stops at the builder's limits.
TEST_F(ChildLayoutTest, SubSkinsThatHoldThemselvesOrNestWithoutEndStop) {
    ResourcePathScope::Files chain;
    for (int i = 0; i < 20; ++i) {
        chain.push_back({L"c" + std::to_wstring(i) + L".xml", PageWith(L"c" + std::to_wstring(i + 1) + L".xml")});
    }
    const struct {
        const char* what;
        ResourcePathScope::Files files;  // the first one is the window's child layout's
        int pages;
    } cases[] = {
        {"itself", {{L"self.xml", PageWith(L"self.xml")}}, 1},
        {"itself, named in another case", {{L"self.xml", PageWith(L"SELF.XML")}}, 1},
        {"each other", {{L"a.xml", PageWith(L"b.xml")}, {L"b.xml", PageWith(L"a.xml")}}, 2},
        {"itself through an include",
         {{L"outer.xml",
           L"<Window><VerticalLayout name=\"page\"><Include source=\"inner.xml\"/></VerticalLayout></Window>"},
          {L"inner.xml", L"<Window><ChildLayout xmlfile=\"outer.xml\"/></Window>"}},
         1},
        {"a chain of twenty", chain, CLayoutBuilder::kMaxIncludeNesting},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.what);
        const ResourcePathScope folder(L"nesting", item.files);
        CChildLayoutUI* child = Attach(item.files.front().first.c_str());
        ASSERT_NE(nullptr, child);
        EXPECT_EQ(item.pages, CountNamed(window.Manager().Root(), L"page"));
        window.Show();
    }
}

}  // namespace
