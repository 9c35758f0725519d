// The layout builder on real windows: window-level elements, the control
// pass and its order, includes, and the control factory's names.
#include "ButtonUI.h"
#include "ContainerUI.h"
#include "ControlFactory.h"
#include "LabelUI.h"
#include "LayoutBuilder.h"
#include "PaintManagerUI.h"
#include "ProgressUI.h"
#include "ResourcePathScope.h"
#include "TestEnv.h"
#include "UiFontInfo.h"
#include "UiImageInfo.h"
#include "UiInterfaces.h"
#include "UiTestWindow.h"
#include "UiTextRegistry.h"
#include "VerticalLayoutUI.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwctype>
#include <memory>
#include <string>
#include <utility>
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

std::vector<std::wstring> ChildNames(CControlUI* control) {
    std::vector<std::wstring> names;
    for (int i = 0; i < Children(control); ++i) {
        names.push_back(Child(control, i)->Name().Data());
    }
    return names;
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
        EXPECT_EQ(CUiSize(expected.cx, expected.cy), manager().MinInfo()) << "scaled like the size";
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

// Shared entries go to the process's tables, where another window finds them.
TEST_F(LayoutBuilderTest, ImagesStylesAndDefaultListsReachTheManager) {
    CControlUI* label = Build(
        L"<Window><Image name=\"310\" restype=\"png\" mask=\"#FF00FF00\"/><Image name=\"311\" restype=\"png\" "
        L"shared=\"TRUE\"/><Image name=\"missing.png\"/><Image restype=\"png\"/>"
        L"<Style name=\"thick\" value=\"bordersize=&quot;2&quot;\"/><Default name=\"BuilderShared\" "
        L"value=\"width=&quot;9&quot;\" shared=\"true\"/><Label style=\"thick\"/></Window>");
    ASSERT_NE(nullptr, label);
    EXPECT_EQ(2, label->BorderSize());
    const UiImageInfo* own = manager().FindImage(L"310");
    ASSERT_NE(nullptr, own);
    EXPECT_EQ(2, own->width);
    EXPECT_EQ(0xFF00FF00u, own->mask);
    EXPECT_EQ(nullptr, manager().FindImage(L"missing.png"));

    UiTestWindow other;
    EXPECT_EQ(nullptr, other.Manager().FindImage(L"310"));
    EXPECT_NE(nullptr, other.Manager().FindImage(L"311"));
    EXPECT_EQ(nullptr, other.Manager().FindStyle(L"thick"));
    EXPECT_STREQ(L"width=\"9\"", other.Manager().DefaultAttributeList(L"BuilderShared"));
}

// A name registered as a skin stands for its file or its markup text.
TEST_F(LayoutBuilderTest, SkinNamesStandForTheirFilesOrTexts) {
    ResourcePathScope scope(L"named", {{L"named.xml", L"<Window><Label name=\"from file\"/></Window>"}});
    CUiTextRegistry::Instance().SetSkinFile(L"builder file skin", L"named.xml");
    CUiTextRegistry::Instance().SetSkinFile(L"builder text skin", L"<Window><Button name=\"from text\"/></Window>");
    EXPECT_EQ(L"from file", std::wstring(Build(L"builder file skin")->Name().Data()));
    EXPECT_EQ(L"from text", std::wstring(Build(L"builder text skin")->Name().Data()));
    EXPECT_EQ(L"from file", std::wstring(Build(L"named.xml")->Name().Data()));
    EXPECT_EQ(nullptr, Build(L"builder unknown skin"));
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

TEST_F(LayoutBuilderTest, ResourceIncludesReadTheirSourceAsAnIdOfTheSameType) {
    CLayoutBuilder builder;
    root.reset(builder.Build(MAKEINTRESOURCEW(301), L"xml", nullptr, &manager()));
    ASSERT_NE(nullptr, root);
    EXPECT_EQ(L"outer", std::wstring(root->Name().Data()));
    EXPECT_EQ((std::vector<std::wstring>{L"item", L"item", L"self"}), ChildNames(root.get()));
    // The included document's window-level elements reach the manager too.
    EXPECT_EQ(11, manager().FontInfoById(7)->size);
    // 303 includes itself once more: refused.
    EXPECT_EQ(1, builder.LeftOutCount());
    EXPECT_EQ(300, WindowSize().cx);
    EXPECT_EQ(nullptr, CLayoutBuilder().Build(MAKEINTRESOURCEW(399), L"xml", nullptr, &manager()));
    EXPECT_EQ(nullptr, CLayoutBuilder().Build(nullptr, L"xml", nullptr, &manager()));
}

// Every include cycle stops; so do long include chains and huge counts.
TEST_F(LayoutBuilderTest, IncludeCyclesChainsAndCountsStop) {
    std::vector<std::pair<std::wstring, std::wstring>> chain = {
        {L"c0.xml", L"<Window><HorizontalLayout><Label name=\"c0\"/><Include source=\"c1.xml\"/></HorizontalLayout></Window>"}};
    std::vector<std::wstring> chainNames = {L"c0"};
    for (int i = 1; i < 20; ++i) {
        const std::wstring name = L"c" + std::to_wstring(i);
        chain.push_back({name + L".xml", L"<Window><Label name=\"" + name + L"\"/><Include source=\"c" +
                                             std::to_wstring(i + 1) + L".xml\"/></Window>"});
        if (i <= CLayoutBuilder::kMaxIncludeNesting) {
            chainNames.push_back(name);
        }
    }
    const struct {
        const wchar_t* what;
        std::vector<std::pair<std::wstring, std::wstring>> files;  // the first one is built
        std::vector<std::wstring> names;
        int leftOut;
    } cases[] = {
        {L"itself",
         {{L"self.xml", L"<Window><HorizontalLayout><Label name=\"a\"/><Include source=\"self.xml\"/>"
                        L"<Label name=\"b\"/></HorizontalLayout></Window>"}},
         {L"a", L"b"},
         1},
        {L"itself, another case, three times",
         {{L"self.xml", L"<Window><HorizontalLayout><Include source=\"SELF.XML\" count=\"3\"/><Label name=\"a\"/>"
                        L"</HorizontalLayout></Window>"}},
         {L"a"},
         3},
        {L"each other",
         {{L"a.xml", L"<Window><HorizontalLayout><Label name=\"a\"/><Include source=\"b.xml\"/></HorizontalLayout></Window>"},
          {L"b.xml", L"<Window><Label name=\"b\"/><Include source=\"a.xml\"/></Window>"}},
         {L"a", L"b"},
         1},
        {L"a chain of twenty", chain, chainNames, 1},
        {L"counts",
         {{L"n.xml", L"<Window><HorizontalLayout><Include source=\"one.xml\" count=\"-2\"/>"
                     L"<Include source=\"one.xml\" count=\"0\"/><Include source=\"one.xml\"/>"
                     L"<Include source=\"missing.xml\" count=\"2\"/><Include count=\"2\"/><Include/>"
                     L"</HorizontalLayout></Window>"},
          {L"one.xml", L"<Window><Label name=\"one\"/></Window>"}},
         {L"one"},
         0},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(item.what)));
        ResourcePathScope scope(L"includes", item.files);
        CLayoutBuilder builder;
        root.reset(builder.Build(item.files.front().first.c_str(), nullptr, nullptr, &manager()));
        ASSERT_NE(nullptr, root);
        EXPECT_EQ(item.names, ChildNames(root.get()));
        EXPECT_EQ(item.leftOut, builder.LeftOutCount());
    }

    ResourcePathScope scope(L"many", {{L"one.xml", L"<Window><Label/></Window>"}});
    CLayoutBuilder builder;
    root.reset(builder.Build(L"<Window><VerticalLayout><Include source=\"one.xml\" count=\"2000000000\"/>"
                             L"</VerticalLayout></Window>",
                             nullptr, nullptr, &manager()));
    ASSERT_NE(nullptr, root);
    EXPECT_EQ(CLayoutBuilder::kMaxIncludeRuns, Children(root.get()));
    EXPECT_EQ(2000000000 - CLayoutBuilder::kMaxIncludeRuns, builder.LeftOutCount());
}

// Whatever a broken skin holds, building gives what it can and the result
// lays out and paints.
TEST_F(LayoutBuilderTest, BrokenSkinsBuildWhatTheyCan) {
    const struct {
        const wchar_t* what;
        const char* bytes;      // null: no file
        const wchar_t* result;  // the root's class, or null for no root
        const wchar_t* error;
    } cases[] = {
        {L"missing", nullptr, nullptr, L"Error opening file"},
        {L"empty", "", nullptr, L"File is empty"},
        {L"not markup", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR", nullptr, L"Expected start tag"},
        {L"only whitespace", " \r\n\t ", nullptr, L""},
        {L"unknown classes", "<Window><Foo><Label/></Foo><Label name=\"x\"/></Window>", L"LabelUI", L""},
        {L"unknown font and missing images",
         "<Window><Image name=\"nope.png\"/><Font id=\"1\" name=\"NoSuchFace\" size=\"-5\"/>"
         "<VerticalLayout bkimage=\"nope.png\"><Label font=\"42\" text=\"t\"/><Label font=\"1\" text=\"t\"/>"
         "<Button normalimage=\"file='nope.png' corner='1,1,1,1'\" text=\"b\"/></VerticalLayout></Window>",
         L"VerticalLayoutUI", L""},
        {L"garbage attributes",
         "<Window mininfo=\"-5,x\" caption=\"\" sizebox=\"x\" opacity=\"999\" trayiconid=\"-1\"><HorizontalLayout width=\"-9\" "
         "height=\"x\" inset=\"1\" padding=\",,,\" childpadding=\"-100\"><Progress value=\"99999\" min=\"5\" "
         "max=\"-5\"/></HorizontalLayout></Window>",
         L"HorizontalLayoutUI", L""},
        {L"no Window root", "<VerticalLayout><Label/></VerticalLayout>", L"LabelUI", L""},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(item.what)));
        const std::wstring folder = testenv::MakeTempSubdir(L"broken") + L"\\";
        if (item.bytes != nullptr) {
            ASSERT_TRUE(testenv::WriteFileBytes(folder + L"skin.xml", std::string(item.bytes, strlen(item.bytes))));
        }
        ResourcePathScope scope(folder);
        UiTestWindow painted{160, 100};
        CLayoutBuilder builder;
        CControlUI* built = builder.Build(L"skin.xml", nullptr, nullptr, &painted.Manager());
        EXPECT_STREQ(item.error, builder.Markup().ErrorMessage());
        if (item.result == nullptr) {
            EXPECT_EQ(nullptr, built);
            continue;
        }
        ASSERT_NE(nullptr, built);
        EXPECT_STREQ(item.result, built->ClassName());
        ASSERT_TRUE(painted.Manager().AttachRoot(built));
        painted.Show();
        EXPECT_EQ(CUiRect(0, 0, 160, 100), built->ItemRect());
    }
}

// The deepest document the parser reads from a file: a 4 MiB skin of nameless
// elements nested about 840,000 levels. Building stops at the depth limit,
// so that painting, searching and destroying the tree stay within the stack.
TEST_F(LayoutBuilderTest, TheDeepestSkinIsCutAtTheDepthLimit) {
    const size_t levels = (CUiMarkup::kMaxFileSize - 4) / 5;
    std::string skin;
    skin.reserve(CUiMarkup::kMaxFileSize);
    for (size_t i = 0; i < levels; ++i) {
        skin += "<>";
    }
    for (size_t i = 0; i < levels; ++i) {
        skin += "</>";
    }
    skin.append(CUiMarkup::kMaxFileSize - skin.size(), ' ');
    const std::wstring folder = testenv::MakeTempSubdir(L"deep") + L"\\";
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"deep.xml", skin));
    ResourcePathScope scope(folder);

    // The root element makes no control; each one below it makes a container.
    struct Containers : IDialogBuilderCallback {
        CControlUI* CreateCustomControl(const wchar_t* name) override {
            return *name == L'\0' ? new CContainerUI() : nullptr;
        }
    } callback;
    CLayoutBuilder builder;
    CControlUI* built = builder.Build(L"deep.xml", nullptr, &callback, &manager());
    ASSERT_NE(nullptr, built) << builder.Markup().ErrorMessage();
    EXPECT_EQ(1, builder.LeftOutCount());
    int depth = 0;
    for (CControlUI* control = built; control != nullptr; control = Children(control) > 0 ? Child(control, 0) : nullptr) {
        ++depth;
    }
    EXPECT_EQ(CLayoutBuilder::kMaxDepth, depth);

    built->SetName(L"top");
    ASSERT_TRUE(manager().AttachRoot(built));
    window.Show();
    EXPECT_EQ(built, manager().ControlByName(L"top"));
    POINT inside = {5, 5};
    EXPECT_NE(nullptr, manager().ControlAtPoint(inside));
}

// A tree built under a container of a live window keeps the window's manager.
TEST_F(LayoutBuilderTest, ControlsBuiltIntoALiveContainerStayBound) {
    auto* top = new CVerticalLayoutUI();
    ASSERT_TRUE(manager().AttachRoot(top));
    CLayoutBuilder builder;
    CControlUI* first = builder.Build(L"<Window><Label name=\"a\"/><Button name=\"b\"/></Window>", nullptr, nullptr,
                                      &manager(), top);
    ASSERT_NE(nullptr, first);
    ASSERT_EQ(2, Children(top));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(&manager(), Child(top, i)->Manager());
        EXPECT_EQ(top, Child(top, i)->Parent());
    }
}

// Without a parent only the first top-level control has an owner.
TEST_F(LayoutBuilderTest, OnlyTheFirstTopLevelControlIsBuiltWithoutAParent) {
    CLayoutBuilder builder;
    root.reset(builder.Build(L"<Window><Unknown/><Label name=\"a\"/><Label name=\"b\"/></Window>"));
    ASSERT_NE(nullptr, root);
    EXPECT_EQ(L"a", std::wstring(root->Name().Data()));
    EXPECT_EQ(1, builder.LeftOutCount());
}

// An include right under the root adds to no parent: its first control
// becomes the root when none came before it, and any later one is let go
// of, not leaked.
TEST_F(LayoutBuilderTest, IncludesUnderTheRootGiveTheRootOrNothing) {
    struct Counted : CControlUI {
        explicit Counted(int* alive) : alive_(alive) { ++*alive_; }
        ~Counted() override { --*alive_; }
        int* alive_;
    };
    struct Counting : IDialogBuilderCallback {
        CControlUI* CreateCustomControl(const wchar_t* name) override {
            return std::wstring(name) == L"Counted" ? new Counted(&alive) : nullptr;
        }
        int alive = 0;
    };
    const struct {
        const char* what;
        const wchar_t* skin;
        const wchar_t* root;  // the root's name, or null for no root
        int leftOut;
    } cases[] = {
        {"the only child", L"<Window><Include source=\"one.xml\"/></Window>", L"one", 0},
        {"twice", L"<Window><Include source=\"one.xml\" count=\"2\"/></Window>", L"one", 1},
        {"after a control", L"<Window><Counted name=\"first\"/><Include source=\"one.xml\"/></Window>", L"first", 1},
        {"before a control", L"<Window><Include source=\"one.xml\"/><Counted name=\"second\"/></Window>", L"one", 1},
        {"of nothing", L"<Window><Include source=\"missing.xml\"/></Window>", nullptr, 0},
    };
    ResourcePathScope scope(L"rooted", {{L"one.xml", L"<Window><Counted name=\"one\"/></Window>"}});
    for (const auto& item : cases) {
        SCOPED_TRACE(item.what);
        Counting callback;
        {
            CLayoutBuilder builder;
            std::unique_ptr<CControlUI> built(builder.Build(item.skin, nullptr, &callback, &manager()));
            if (item.root == nullptr) {
                EXPECT_EQ(nullptr, built);
            } else {
                ASSERT_NE(nullptr, built);
                EXPECT_EQ(item.root, std::wstring(built->Name().Data()));
                EXPECT_EQ(1, callback.alive) << "only the root is left";
            }
            EXPECT_EQ(item.leftOut, builder.LeftOutCount());
        }
        EXPECT_EQ(0, callback.alive);
    }
}

// The classes without behaviour of their own are named once per build each,
// with how they show.
TEST_F(LayoutBuilderTest, ClassesWithoutBehaviourAreReportedOncePerBuild) {
    CLayoutBuilder builder;
    root.reset(builder.Build(L"<Window><VerticalLayout><Combo/><Combo/><List><ListLabelElement/><ListLabelElement/>"
                             L"</List><Label/><RichEdit/></VerticalLayout></Window>",
                             nullptr, nullptr, &manager()));
    ASSERT_NE(nullptr, root);
    const std::vector<std::wstring> expected = {
        L"Orvel layout builder: CComboUI has no behaviour of its own here; shown as a label showing its text or its "
        L"first item's",
        L"Orvel layout builder: CListUI has no behaviour of its own here; shown as a vertical layout of its items",
        L"Orvel layout builder: CListLabelElementUI has no behaviour of its own here; shown as a label",
        L"Orvel layout builder: CRichEditUI has no behaviour of its own here; shown as the single-line edit field",
    };
    std::vector<std::wstring> report;
    for (const CUiString& line : builder.Report()) {
        report.push_back(line.Data());
    }
    EXPECT_EQ(expected, report);
    EXPECT_EQ(0, builder.LeftOutCount());

    root.reset(builder.Build(L"<Window><Label/></Window>", nullptr, nullptr, &manager()));
    EXPECT_TRUE(builder.Report().empty()) << "a new build, a new report";
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
    bool standIn;              // without behaviour of its own here
};

// In registration order: all 44 names.
const FactoryName kFactoryNames[] = {
    {L"CControlUI", L"Control", nullptr, false},
    {L"CContainerUI", L"Container", L"IContainer", false},
    {L"CButtonUI", L"Button", L"Label", false},
    {L"CComboUI", L"Combo", L"Container", true},
    {L"CComboBoxUI", L"ComboBox", L"Combo", true},
    {L"CDateTimeUI", L"DateTime", L"Label", false},
    {L"CEditUI", L"Edit", L"Label", false},
    {L"CActiveXUI", L"ActiveX", L"Control", true},
    {L"CFlashUI", L"Flash", L"ActiveX", true},
    {L"CGifAnimUI", L"GifAnim", L"Control", false},
    {L"CGroupBoxUI", L"GroupBox", L"VerticalLayout", false},
    {L"CIPAddressUI", L"IPAddress", L"Label", false},
    {L"CLabelUI", L"Label", L"Control", false},
    {L"CListUI", L"List", L"VerticalLayout", true},
    {L"CListHeaderUI", L"ListHeader", L"HorizontalLayout", true},
    {L"CListHeaderItemUI", L"ListHeaderItem", L"IContainer", true},
    {L"CListLabelElementUI", L"ListLabelElement", L"Label", true},
    {L"CListTextElementUI", L"ListTextElement", L"ListLabelElement", true},
    {L"CListContainerElementUI", L"ListContainerElement", L"IContainer", true},
    {L"CMenuUI", L"Menu", L"List", true},
    {L"CMenuElementUI", L"MenuElement", L"ListContainerElement", true},
    {L"COptionUI", L"Option", L"Button", false},
    {L"CCheckBoxUI", L"CheckBox", L"Option", false},
    {L"CProgressUI", L"Progress", L"Label", false},
    {L"CRichEditUI", L"RichEdit", L"Edit", true},
    {L"CScrollBarUI", L"ScrollBar", L"Control", false},
    {L"CSliderUI", L"Slider", L"Progress", false},
    {L"CTextUI", L"Text", L"Label", false},
    {L"CTreeNodeUI", L"TreeNode", L"ListContainerElement", true},
    {L"CTreeViewUI", L"TreeView", L"List", true},
    {L"CWebBrowserUI", L"WebBrowser", L"ActiveX", true},
    {L"CAnimationTabLayoutUI", L"AnimationTabLayout", L"IContainer", true},
    {L"CChildLayoutUI", L"ChildLayout", L"IContainer", false},
    {L"CHorizontalLayoutUI", L"HorizontalLayout", L"IContainer", false},
    {L"CTabLayoutUI", L"TabLayout", L"IContainer", false},
    {L"CTileLayoutUI", L"TileLayout", L"IContainer", false},
    {L"CVerticalLayoutUI", L"VerticalLayout", L"IContainer", false},
    {L"CRollTextUI", L"RollText", L"Label", true},
    {L"CColorPaletteUI", L"ColorPalette", L"Control", false},
    {L"CListExUI", L"ListEx", L"List", true},
    {L"CListContainerHeaderItemUI", L"ListContainerHeaderItem", L"IContainer", true},
    {L"CListTextExtElementUI", L"ListTextExtElement", L"ListLabelElement", true},
    {L"CHotKeyUI", L"HotKey", L"Label", true},
    {L"CFadeButtonUI", L"FadeButton", L"Button", false},
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
        // These answer to their own keyword only as written.
        const bool caseSensitive = answers == L"FadeButton" || answers == L"ColorPalette" ||
                                   answers == L"DateTime" || answers == L"IPAddress";
        EXPECT_EQ(caseSensitive ? nullptr : control.get(), control->CastTo(lower.c_str()));
        EXPECT_NE(nullptr, control->CastTo(L"Control"));
        if (expected.base != nullptr) {
            EXPECT_NE(nullptr, control->CastTo(expected.base));
        }
        if (answers != L"Slider") {
            EXPECT_EQ(nullptr, control->CastTo(L"Slider"));
        }
        EXPECT_EQ(expected.standIn, factory.StandInNote(expected.className) != nullptr);
    }
}
