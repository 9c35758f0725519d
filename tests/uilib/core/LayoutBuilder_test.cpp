// The layout builder on real windows: window-level elements, the control
// pass and its order, includes, and the control factory's names.
#include "ButtonUI.h"
#include "ContainerUI.h"
#include "ControlFactory.h"
#include "LabelUI.h"
#include "LayoutBuilder.h"
#include "PaintManagerUI.h"
#include "ProgressUI.h"
#include "UiFontInfo.h"
#include "UiInterfaces.h"
#include "UiTestWindow.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <memory>
#include <string>
#include <vector>

using namespace Orvel;

namespace {

// Answers one element name with a plain control, and remembers every name it
// was asked for and the window's size at the first question.
class RecordingCallback : public IDialogBuilderCallback {
public:
    RecordingCallback(const wchar_t* answers, HWND window = nullptr) : answers_(answers), window_(window) {}

    CControlUI* CreateCustomControl(const wchar_t* name) override {
        asked.push_back(name);
        if (window_ != nullptr && asked.size() == 1) {
            GetWindowRect(window_, &windowAtFirstQuestion);
        }
        return answers_ == name ? new CControlUI() : nullptr;
    }

    std::vector<std::wstring> asked;
    RECT windowAtFirstQuestion = {};

private:
    std::wstring answers_;
    HWND window_;
};

class LayoutBuilderTest : public ::testing::Test {
protected:
    CPaintManagerUI& manager() { return window.Manager(); }

    // Builds `markup` for the window; the tree is owned by the test.
    CControlUI* Build(const wchar_t* markup, IDialogBuilderCallback* callback = nullptr) {
        CLayoutBuilder builder;
        root.reset(builder.Build(markup, nullptr, callback, &manager()));
        return root.get();
    }

    SIZE WindowSize() {
        RECT rect = {};
        GetWindowRect(window.Handle(), &rect);
        return {rect.right - rect.left, rect.bottom - rect.top};
    }

    UiTestWindow window{200, 120};
    std::unique_ptr<CControlUI> root;
};

int Children(CControlUI* control) {
    auto* container = static_cast<IContainerUI*>(control->CastTo(L"IContainer"));
    return container != nullptr ? container->ItemCount() : -1;
}

CControlUI* Child(CControlUI* control, int index) {
    return static_cast<IContainerUI*>(control->CastTo(L"IContainer"))->ItemAt(index);
}

}  // namespace

// The window has its size (scaled) before the first control is made, so a
// control may lay itself out against it.
TEST_F(LayoutBuilderTest, WindowSizeIsSetBeforeAnyControlExists) {
    for (int dpi : {96, 144}) {
        manager().DpiScale().SetDpi(dpi);
        RecordingCallback callback(L"Custom", window.Handle());
        ASSERT_NE(nullptr, Build(L"<Window size=\"720,496\" mininfo=\"720,496\"><Custom/></Window>", &callback));
        const RECT& seen = callback.windowAtFirstQuestion;
        const SIZE expected = dpi == 96 ? SIZE{720, 496} : SIZE{1080, 744};
        EXPECT_EQ(expected.cx, seen.right - seen.left) << dpi;
        EXPECT_EQ(expected.cy, seen.bottom - seen.top) << dpi;
        EXPECT_EQ(CUiSize(720, 496), manager().MinInfo());
    }
}

// Entities in the list were decoded by the parser; the element's own
// attributes come after the list and win.
TEST_F(LayoutBuilderTest, DefaultListGoesBeforeTheElementsOwnAttributes) {
    CControlUI* layout = Build(
        L"<Window>"
        L"<Default name=\"Button\" value=\"bordersize=&quot;3&quot; bordercolor=&quot;#FF222222&quot;\"/>"
        L"<HorizontalLayout><Button name=\"plain\"/><Button name=\"own\" bordersize=\"1\"/><Label name=\"label\"/>"
        L"</HorizontalLayout></Window>");
    ASSERT_NE(nullptr, layout);
    ASSERT_EQ(3, Children(layout));
    const struct {
        int index;
        int borderSize;
        DWORD borderColor;
    } expected[] = {{0, 3, 0xFF222222}, {1, 1, 0xFF222222}, {2, 0, 0}};
    for (const auto& item : expected) {
        CControlUI* control = Child(layout, item.index);
        EXPECT_EQ(item.borderSize, control->BorderSize()) << control->Name().Data();
        EXPECT_EQ(item.borderColor, control->BorderColor()) << control->Name().Data();
    }
    EXPECT_STREQ(L"bordersize=\"3\" bordercolor=\"#FF222222\"", manager().DefaultAttributeList(L"Button"));
}

// Plug-ins come after the factory and before the application's callback.
TEST_F(LayoutBuilderTest, FactoryNamesAreCaseSensitiveThenPluginsThenCallback) {
    static std::vector<std::wstring> pluginAsked;
    CPaintManagerUI::AddPlugin([](const wchar_t* name) -> CControlUI* {
        pluginAsked.push_back(name);
        return std::wstring(name) == L"Plugged" ? new CLabelUI() : nullptr;
    });
    RecordingCallback callback(L"progress");
    CControlUI* layout = Build(L"<Window><VerticalLayout><Progress/><progress/><Plugged/><Unknown/><Label/>"
                               L"</VerticalLayout></Window>",
                               &callback);
    ASSERT_NE(nullptr, layout);
    ASSERT_EQ(4, Children(layout));
    EXPECT_STREQ(L"ProgressUI", Child(layout, 0)->ClassName());
    EXPECT_STREQ(L"ControlUI", Child(layout, 1)->ClassName());
    EXPECT_STREQ(L"LabelUI", Child(layout, 2)->ClassName());
    EXPECT_STREQ(L"LabelUI", Child(layout, 3)->ClassName());
    EXPECT_EQ((std::vector<std::wstring>{L"progress", L"Plugged", L"Unknown"}), pluginAsked);
    EXPECT_EQ((std::vector<std::wstring>{L"progress", L"Unknown"}), callback.asked);
}

TEST_F(LayoutBuilderTest, IncludeWithCountInsertsTheDocumentThatOften) {
    CControlUI* layout = Build(
        L"<Window><HorizontalLayout name=\"row\"><Label name=\"before\"/>"
        L"<Include source=\"&lt;Window&gt;&lt;Button text=&quot;inc&quot;/&gt;&lt;/Window&gt;\" count=\"3\"/>"
        L"<Label name=\"after\"/></HorizontalLayout></Window>");
    ASSERT_NE(nullptr, layout);
    ASSERT_EQ(5, Children(layout));
    EXPECT_EQ(L"before", std::wstring(Child(layout, 0)->Name().Data()));
    for (int i = 1; i <= 3; ++i) {
        EXPECT_STREQ(L"ButtonUI", Child(layout, i)->ClassName());
        EXPECT_EQ(L"inc", std::wstring(Child(layout, i)->Text().Data()));
    }
    EXPECT_EQ(L"after", std::wstring(Child(layout, 4)->Name().Data()));
}

TEST_F(LayoutBuilderTest, TheLaterOfBoldAndWeightWins) {
    Build(L"<Window>"
          L"<Font id=\"1\" name=\"Arial\" size=\"14\" bold=\"true\" weight=\"500\"/>"
          L"<Font id=\"2\" name=\"Arial\" size=\"14\" weight=\"500\" bold=\"true\"/>"
          L"<Font id=\"3\" name=\"Arial\" size=\"14\" weight=\"500\" bold=\"false\"/>"
          L"<Font id=\"4\" name=\"Arial\" size=\"15\" underline=\"TRUE\" italic=\"true\" default=\"true\"/>"
          L"<Font name=\"Arial\" size=\"99\"/>"
          L"</Window>");
    const struct {
        int id;
        int weight;
    } expected[] = {{1, 500}, {2, FW_BOLD}, {3, FW_NORMAL}, {4, FW_NORMAL}};
    for (const auto& font : expected) {
        UiFontInfo* info = manager().FontInfoById(font.id);
        ASSERT_NE(manager().DefaultFontInfo(), info) << font.id;
        EXPECT_EQ(font.weight, info->weight) << font.id;
        EXPECT_EQ(font.id == 4 ? 15 : 14, info->size) << font.id;
    }
    UiFontInfo* fallback = manager().DefaultFontInfo();
    EXPECT_EQ(15, fallback->size);
    EXPECT_TRUE(fallback->underline && fallback->italic);
    LOGFONTW description = {};
    GetObjectW(fallback->font, sizeof(description), &description);
    EXPECT_EQ(-15, description.lfHeight);
}

// With a manager the root's attributes still apply; there is no control.
TEST_F(LayoutBuilderTest, RootWithoutChildrenGivesNothingButSizesTheWindow) {
    EXPECT_EQ(nullptr, Build(L"<Window size=\"333,222\" caption=\"0,0,0,30\"/>"));
    EXPECT_EQ(333, WindowSize().cx);
    EXPECT_EQ(222, WindowSize().cy);
    EXPECT_EQ(CUiRect(0, 0, 0, 30), manager().CaptionRect());
}

// A non-container parent ends the pass it is the parent of; the rest of the
// document is still built.
TEST_F(LayoutBuilderTest, ControlsInsideANonContainerAreDropped) {
    CControlUI* layout = Build(L"<Window><VerticalLayout><Label name=\"a\"><Button/><Button/></Label>"
                               L"<Label name=\"b\"/></VerticalLayout></Window>");
    ASSERT_NE(nullptr, layout);
    ASSERT_EQ(2, Children(layout));
    CLayoutBuilder builder;
    CLabelUI label;
    EXPECT_EQ(nullptr, builder.Build(L"<Window><Button/></Window>", nullptr, nullptr, &manager(), &label));
}

TEST(ControlFactoryTest, RegisterKeepsTheFirstCreator) {
    CControlFactory& factory = CControlFactory::Instance();
    const int count = factory.Count();
    EXPECT_FALSE(factory.Register(L"CLabelUI", [] { return static_cast<CControlUI*>(new CButtonUI()); }));
    EXPECT_FALSE(factory.Register(L"", [] { return new CControlUI(); }));
    EXPECT_EQ(count, factory.Count());
    std::unique_ptr<CControlUI> label(factory.Create(L"CLabelUI"));
    EXPECT_STREQ(L"LabelUI", label->ClassName());
    EXPECT_EQ(nullptr, factory.Create(L"clabelui"));
    EXPECT_EQ(nullptr, factory.Create(nullptr));
}

namespace {

struct FactoryName {
    const wchar_t* className;  // as registered
    const wchar_t* answers;    // ClassName() and the CastTo keyword, less "UI"
    const wchar_t* base;       // a CastTo keyword its base class answers
};

// In registration order. The classes of the later controls (scroll bar,
// option, check box, tile, tab and child layouts, slider, text, GIF, edit,
// fade button, colour palette, group box, date/time, IP address) come with
// them.
const FactoryName kFactoryNames[] = {
    {L"CControlUI", L"Control", nullptr},
    {L"CContainerUI", L"Container", L"IContainer"},
    {L"CButtonUI", L"Button", L"Label"},
    {L"CComboUI", L"Combo", L"Container"},
    {L"CComboBoxUI", L"ComboBox", L"Combo"},
    {L"CActiveXUI", L"ActiveX", L"Control"},
    {L"CFlashUI", L"Flash", L"ActiveX"},
    {L"CLabelUI", L"Label", L"Control"},
    {L"CListUI", L"List", L"VerticalLayout"},
    {L"CListHeaderUI", L"ListHeader", L"HorizontalLayout"},
    {L"CListHeaderItemUI", L"ListHeaderItem", L"IContainer"},
    {L"CListLabelElementUI", L"ListLabelElement", L"Label"},
    {L"CListTextElementUI", L"ListTextElement", L"ListLabelElement"},
    {L"CListContainerElementUI", L"ListContainerElement", L"IContainer"},
    {L"CMenuUI", L"Menu", L"List"},
    {L"CMenuElementUI", L"MenuElement", L"ListContainerElement"},
    {L"CProgressUI", L"Progress", L"Label"},
    {L"CRichEditUI", L"RichEdit", L"IContainer"},
    {L"CTreeNodeUI", L"TreeNode", L"ListContainerElement"},
    {L"CTreeViewUI", L"TreeView", L"List"},
    {L"CWebBrowserUI", L"WebBrowser", L"ActiveX"},
    {L"CAnimationTabLayoutUI", L"AnimationTabLayout", L"IContainer"},
    {L"CHorizontalLayoutUI", L"HorizontalLayout", L"IContainer"},
    {L"CVerticalLayoutUI", L"VerticalLayout", L"IContainer"},
    {L"CRollTextUI", L"RollText", L"Label"},
    {L"CListExUI", L"ListEx", L"List"},
    {L"CListContainerHeaderItemUI", L"ListContainerHeaderItem", L"IContainer"},
    {L"CListTextExtElementUI", L"ListTextExtElement", L"ListLabelElement"},
    {L"CHotKeyUI", L"HotKey", L"Label"},
};

}  // namespace

TEST(ControlFactoryTest, EveryNameCreatesItsClass) {
    CControlFactory& factory = CControlFactory::Instance();
    ASSERT_EQ(static_cast<int>(sizeof(kFactoryNames) / sizeof(kFactoryNames[0])), factory.Count());
    for (int i = 0; i < factory.Count(); ++i) {
        const FactoryName& expected = kFactoryNames[i];
        const std::wstring answers = expected.answers;
        SCOPED_TRACE(testing::PrintToString(answers));
        EXPECT_STREQ(expected.className, factory.ClassNameAt(i));
        std::unique_ptr<CControlUI> control(factory.Create(expected.className));
        ASSERT_NE(nullptr, control);
        EXPECT_EQ(answers + L"UI", control->ClassName());
        EXPECT_EQ(control.get(), control->CastTo(expected.answers));
        std::wstring lower = answers;
        for (wchar_t& ch : lower) {
            ch = towlower(ch);
        }
        EXPECT_EQ(control.get(), control->CastTo(lower.c_str()));
        EXPECT_NE(nullptr, control->CastTo(L"Control"));
        if (expected.base != nullptr) {
            EXPECT_NE(nullptr, control->CastTo(expected.base));
        }
        EXPECT_EQ(nullptr, control->CastTo(L"Slider"));
    }
}
