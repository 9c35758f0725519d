#include "ControlUI.h"
#include "PaintManagerUI.h"
#include "TestCanvas.h"
#include "TestPng.h"
#include "TestWindow.h"
#include "UiInterfaces.h"
#include "UiRender.h"
#include "UiTextRegistry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Orvel;

namespace {

constexpr DWORD kWhite = 0xFFFFFF;

class Recorder : public INotifyUI {
public:
    void Notify(UiNotify& notify) override {
        log.push_back(std::wstring(notify.type.Data()) + L":" +
                      (notify.sender != nullptr ? notify.sender->Name().Data() : L"-"));
    }
    std::vector<std::wstring> log;
};

std::wstring Str(const CUiString& text) {
    return text.Data();
}

class ControlAttributesTest : public ::testing::Test {
protected:
    ControlAttributesTest() { control.Attach(&manager, nullptr, false); }

    CPaintManagerUI manager;
    CControlUI control;
};

TEST_F(ControlAttributesTest, PosGivesOffsetAndSizeFromEitherEdge) {
    control.ApplyAttribute(L"pos", L"10,20,110,50");
    EXPECT_EQ(CUiSize(10, 20), control.FixedOffset());
    EXPECT_EQ(100, control.FixedWidth());
    EXPECT_EQ(30, control.FixedHeight());
    control.ApplyAttribute(L"POS", L"-1,0,99,30");
    EXPECT_EQ(CUiSize(99, 0), control.FixedOffset());
    EXPECT_EQ(100, control.FixedWidth());
    manager.DpiScale().SetDpi(144);
    EXPECT_EQ(150, control.FixedWidth());
    control.Attach(nullptr, nullptr, false);
    EXPECT_EQ(100, control.FixedWidth());
}

TEST_F(ControlAttributesTest, FloatTakesABooleanOrAnchors) {
    control.ApplyAttribute(L"float", L"true");
    EXPECT_TRUE(control.IsFloating());
    control.ApplyAttribute(L"float", L"false");
    EXPECT_FALSE(control.IsFloating());
    control.ApplyAttribute(L"float", L"0.5,0,0.25,1");
    EXPECT_TRUE(control.IsFloating());
    EXPECT_DOUBLE_EQ(0.5, control.FloatAnchors().left);
    EXPECT_DOUBLE_EQ(0.25, control.FloatAnchors().right);
    EXPECT_DOUBLE_EQ(1.0, control.FloatAnchors().bottom);
}

TEST_F(ControlAttributesTest, BorderSizeIsUniformOrPerSide) {
    control.ApplyAttribute(L"bordersize", L"1,0,0,1");
    EXPECT_EQ(CUiRect(1, 0, 0, 1), control.BorderSides());
    control.ApplyAttribute(L"bordersize", L"2");
    EXPECT_EQ(2, control.BorderSize());
    EXPECT_EQ(CUiRect(), control.BorderSides());
    control.ApplyAttribute(L"topbordersize", L"3");
    EXPECT_EQ(CUiRect(0, 3, 0, 0), control.BorderSides());
}

TEST_F(ControlAttributesTest, ValuesParseAsTheirSyntaxSays) {
    const struct {
        const wchar_t* name;
        const wchar_t* value;
        DWORD (CControlUI::*color)() const;
        DWORD expected;
    } colors[] = {
        {L"bkcolor", L"#FF112233", &CControlUI::BackColor, 0xFF112233},
        {L"bkcolor1", L"FF112234", &CControlUI::BackColor, 0xFF112234},
        {L"bkcolor2", L"  #80112233", &CControlUI::BackColor2, 0x80112233},
        {L"forecolor", L"\t#FF000001", &CControlUI::ForeColor, 0xFF000001},
        {L"bordercolor", L"#FFABCDEF", &CControlUI::BorderColor, 0xFFABCDEF},
        {L"bordercolor", L" #FFABCDEF", &CControlUI::BorderColor, 0},
        {L"focusbordercolor", L"FF00FF00", &CControlUI::FocusedBorderColor, 0xFF00FF00},
    };
    for (const auto& item : colors) {
        control.ApplyAttribute(item.name, item.value);
        EXPECT_EQ(item.expected, (control.*item.color)()) << testing::PrintToString(std::wstring(item.value));
    }
    control.ApplyAttribute(L"tooltip", L"first<n>second");
    EXPECT_EQ(L"first\r\nsecond", Str(control.ToolTip()));
    control.ApplyAttribute(L"cursor", L"hand");
    EXPECT_EQ(32649, control.CursorId());
    control.ApplyAttribute(L"cursor", L"bogus");
    EXPECT_EQ(32649, control.CursorId());
    control.ApplyAttribute(L"shortcut", L"Xy");
    EXPECT_EQ(L'X', control.Shortcut());
    control.ApplyAttribute(L"nosuchattribute", L"1");
    control.ApplyAttribute(L"visible", L"TRUE");
    EXPECT_TRUE(control.IsVisible());
    control.ApplyAttribute(L"visible", L"yes");
    EXPECT_FALSE(control.IsVisible());
}

TEST_F(ControlAttributesTest, AValueThatNamesAStyleAppliesTheStyle) {
    manager.AddStyle(L"warning", L"bkcolor=\"#FFFF0000\" width=\"33\"");
    control.ApplyAttribute(L"text", L"warning");
    EXPECT_TRUE(Str(control.Text()).empty());
    EXPECT_EQ(0xFFFF0000u, control.BackColor());
    EXPECT_EQ(33, control.FixedWidth());
    // Styles that name themselves end instead of recursing forever.
    manager.AddStyle(L"loop", L"bkcolor=\"loop\"");
    control.ApplyAttribute(L"bkcolor", L"loop");
    control.ApplyAttributeList(L"loop");
    manager.AddStyle(L"outer", L"inner");
    manager.AddStyle(L"inner", L"height=\"7\"");
    control.ApplyAttributeList(L"outer");
    EXPECT_EQ(7, control.FixedHeight());
}

// Counts the attributes that reach it, from styles or not.
class CountingControl : public CControlUI {
public:
    int applied = 0;

protected:
    void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) override {
        ++applied;
        CControlUI::ApplyOwnAttribute(name, value);
    }
};

// A style that names itself four times, eight levels deep, would apply 4^8
// lists: the work is bounded, not only the depth.
TEST(ControlStyleTest, StylesThatBranchIntoThemselvesStopAtABudget) {
    CPaintManagerUI manager;
    manager.AddStyle(L"fan", L"a=\"fan\" b=\"fan\" c=\"fan\" d=\"fan\" width=\"3\"");
    manager.AddStyle(L"plain", L"width=\"5\" height=\"6\"");
    for (const wchar_t* value : {L"fan", L"plain"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(value)));
        CountingControl control;
        control.Attach(&manager, nullptr, false);
        control.ApplyAttribute(L"text", value);
        EXPECT_LE(control.applied, 1024);
        EXPECT_GT(control.applied, 0);
        // The budget is per attribute: the next one starts afresh.
        control.ApplyAttribute(L"text", L"plain");
        EXPECT_EQ(5, control.FixedWidth());
        EXPECT_EQ(6, control.FixedHeight());
    }
}

TEST_F(ControlAttributesTest, AttributeListsDecodeQuotesAndStopAtMalformedPairs) {
    control.ApplyAttributeList(L"text=&quot;hi there&quot; name=&quot;n1&quot; bogus=&quot;1&quot; width=&quot;5&quot;");
    EXPECT_EQ(L"hi there", Str(control.Text()));
    EXPECT_EQ(L"n1", Str(control.Name()));
    EXPECT_EQ(5, control.FixedWidth());
    control.ApplyAttributeList(L"width=\"6\",height=\"9\"");
    EXPECT_EQ(6, control.FixedWidth());
    EXPECT_EQ(0, control.FixedHeight());
    control.ApplyAttributeList(L"width=\"8\" height=9 minwidth=\"3\"");
    EXPECT_EQ(8, control.FixedWidth());
    EXPECT_EQ(0, control.MinWidth());
    control.ApplyAttribute(L"innerstyle", L"height=&quot;4&quot; userdata=\"u\"");
    EXPECT_EQ(4, control.FixedHeight());
    EXPECT_EQ(L"u", Str(control.UserData()));
}

TEST_F(ControlAttributesTest, ResourceTextsComeFromTheRegistry) {
    CUiTextRegistry::Instance().SetText(L"greeting", L"Hello");
    control.ApplyAttribute(L"text", L"greeting");
    EXPECT_EQ(L"greeting", Str(control.Text()));
    control.ApplyAttribute(L"resourcetext", L"true");
    EXPECT_EQ(L"Hello", Str(control.Text()));
    control.SetText(L"unknown.key");
    EXPECT_EQ(L"unknown.key", Str(control.Text()));
}

// Paints a square in each of the two steps the base leaves empty, so that
// their place in the order shows.
class StepProbe : public CControlUI {
public:
    void DrawStateImage(HDC dc) override { CUiRender::FillColor(dc, {20, 10, 40, 30}, 0xFFFFA500); }
    void DrawTextContent(HDC dc) override { CUiRender::FillColor(dc, {45, 25, 55, 35}, 0xFFFFFFFF); }
};

TEST(ControlPaintTest, StepsPaintInOrder) {
    ASSERT_TRUE(testpng::WriteSolid(L"blue.png", 2, 2, 0xFF0000FF));
    ASSERT_TRUE(testpng::WriteSolid(L"yellow.png", 2, 2, 0xFFFFFF00));
    CPaintManagerUI manager;
    StepProbe control;
    control.Attach(&manager, nullptr, false);
    control.ApplyAttributeList(
        L"bkcolor=\"#FFFF0000\" bkimage=\"file='blue.png' dest='0,0,15,40'\" forecolor=\"#8000FF00\" "
        L"foreimage=\"file='yellow.png' dest='40,0,60,20'\" bordercolor=\"#FF000000\" bordersize=\"1\"");
    control.Place({0, 0, 60, 40});
    TestCanvas canvas(80, 50);
    control.Paint(canvas.Dc(), canvas.Bounds());
    const struct {
        int x, y;
        DWORD expected;
    } probes[] = {
        {30, 35, 0x7F8000},  // back colour under half a green fore colour
        {8, 20, 0x00807F},   // back image under it
        {30, 20, 0x7FD200},  // state image under it
        {50, 10, 0xFFFF00},  // fore image over the fore colour
        {50, 30, 0xFFFFFF},  // text over everything but the border
        {0, 20, 0x000000},   // border last
        {30, 0, 0x000000},
        {70, 45, kWhite},    // outside the item
    };
    for (const auto& probe : probes) {
        EXPECT_TRUE(NearRgb(probe.expected, canvas.Rgb(probe.x, probe.y)))
            << probe.x << "," << probe.y << std::hex << " got " << canvas.Rgb(probe.x, probe.y);
    }
}

TEST(ControlPaintTest, EachBorderBranch) {
    constexpr DWORD kRed = 0xFF0000;
    constexpr DWORD kBlue = 0x0000FF;
    const struct {
        const wchar_t* attributes;
        bool focused;
        // left edge, top edge, right edge, bottom edge, top-left corner, inside
        DWORD expected[6];
    } cases[] = {
        {L"bordersize=\"2\"", false, {kWhite, kWhite, kWhite, kWhite, kWhite, kWhite}},
        {L"bordercolor=\"#FFFF0000\"", false, {kWhite, kWhite, kWhite, kWhite, kWhite, kWhite}},
        {L"bordercolor=\"#FFFF0000\" bordersize=\"1\"", false, {kRed, kRed, kRed, kRed, kRed, kWhite}},
        {L"bordercolor=\"#FFFF0000\" focusbordercolor=\"#FF0000FF\" bordersize=\"1\"", true,
         {kBlue, kBlue, kBlue, kBlue, kBlue, kWhite}},
        {L"bordercolor=\"#FFFF0000\" focusbordercolor=\"#FF0000FF\" bordersize=\"1\"", false,
         {kRed, kRed, kRed, kRed, kRed, kWhite}},
        {L"bordercolor=\"#FFFF0000\" bordersize=\"0,2,0,0\"", false, {kWhite, kRed, kWhite, kWhite, kRed, kWhite}},
        {L"bordercolor=\"#FFFF0000\" bordersize=\"1,0,0,1\"", false, {kRed, kWhite, kWhite, kRed, kRed, kWhite}},
        {L"bordercolor=\"#FFFF0000\" bordersize=\"1\" borderround=\"16,16\"", false,
         {kRed, kRed, kRed, kRed, kWhite, kWhite}},
    };
    for (const auto& item : cases) {
        CPaintManagerUI manager;
        CControlUI control;
        control.Attach(&manager, nullptr, false);
        control.ApplyAttributeList(item.attributes);
        control.Place({10, 10, 50, 40});
        if (item.focused) {
            manager.FocusControl(&control);
        }
        TestCanvas canvas(60, 50);
        control.Paint(canvas.Dc(), canvas.Bounds());
        const POINT probes[6] = {{10, 25}, {30, 10}, {49, 25}, {30, 39}, {10, 10}, {30, 25}};
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(item.expected[i], canvas.Rgb(probes[i].x, probes[i].y))
                << testing::PrintToString(std::wstring(item.attributes)) << " probe " << i;
        }
        EXPECT_EQ(0, canvas.CountChanged({0, 0, 60, 9}));
        EXPECT_EQ(0, canvas.CountChanged({51, 0, 60, 50}));
    }
}

TEST(ControlPaintTest, TranslucentBackColourCoversTheWholeItem) {
    CPaintManagerUI manager;
    for (DWORD color : {0x80FF0000u, 0xFFFF0000u}) {
        CControlUI control;
        control.Attach(&manager, nullptr, false);
        control.SetBackColor(color);
        control.Place({0, 0, 40, 40});
        TestCanvas canvas(50, 50);
        control.Paint(canvas.Dc(), {0, 0, 20, 20});
        EXPECT_EQ(color == 0xFFFF0000u ? 400 : 1600, canvas.CountChanged(canvas.Bounds())) << std::hex << color;
    }
}

TEST(ControlPaintTest, RenderControlBitmapCopiesTheControlsPixels) {
    CPaintManagerUI manager;
    CControlUI control;
    control.Attach(&manager, nullptr, false);
    control.SetBackColor(0xFF00FF00);
    control.Place({10, 10, 30, 25});
    HBITMAP bitmap = CUiRender::RenderControlBitmap(&manager, &control, control.ItemRect());
    ASSERT_NE(nullptr, bitmap);
    DIBSECTION section = {};
    ASSERT_EQ(static_cast<int>(sizeof(section)), GetObjectW(bitmap, sizeof(section), &section));
    EXPECT_EQ(20, section.dsBm.bmWidth);
    EXPECT_EQ(15, abs(section.dsBm.bmHeight));
    const auto* pixels = static_cast<const DWORD*>(section.dsBm.bmBits);
    EXPECT_EQ(0x00FF00u, pixels[0] & 0xFFFFFF);
    EXPECT_EQ(0x00FF00u, pixels[20 * 15 - 1] & 0xFFFFFF);
    DeleteObject(bitmap);
}

TEST(ControlEventsTest, ContextMenuBubblesToTheFirstControlThatUsesIt) {
    CPaintManagerUI manager;
    Recorder recorder;
    manager.AddNotifier(&recorder);
    CControlUI root;
    CControlUI middle;
    CControlUI leaf;
    root.SetName(L"root");
    middle.SetName(L"middle");
    leaf.SetName(L"leaf");
    root.Attach(&manager, nullptr, false);
    middle.Attach(&manager, &root, false);
    leaf.Attach(&manager, &middle, false);
    UiEvent event;
    event.type = UiEventType::ContextMenu;
    event.wParam = 7;

    leaf.HandleEvent(event);
    EXPECT_TRUE(recorder.log.empty());
    root.SetUsesContextMenu(true);
    leaf.HandleEvent(event);
    middle.ApplyAttribute(L"menu", L"true");
    leaf.HandleEvent(event);
    leaf.SetUsesContextMenu(true);
    leaf.HandleEvent(event);
    EXPECT_EQ((std::vector<std::wstring>{L"menu:root", L"menu:middle", L"menu:leaf"}), recorder.log);

    // An event hook that refuses the event keeps it from the control.
    struct Refuser {
        bool Refuse(void*) { return false; }
    } refuser;
    leaf.EventHooks += MakeDelegate(&refuser, &Refuser::Refuse);
    leaf.HandleEvent(event);
    EXPECT_EQ(3u, recorder.log.size());
}

TEST(ControlLifetimeTest, DestructionClearsEveryReferenceOfTheManager) {
    TestWindow window([](UINT, WPARAM, LPARAM) { return false; });
    CPaintManagerUI manager;
    manager.Attach(window.Handle(), L"lifetime");
    Recorder recorder;
    manager.AddNotifier(&recorder);
    auto* control = new CControlUI();
    control->SetName(L"victim");
    manager.BindControls(control);
    ASSERT_EQ(control, manager.ControlByName(L"victim"));
    manager.FocusControl(control);
    ASSERT_EQ(control, manager.FocusedControl());
    ASSERT_TRUE(manager.StartTimer(control, 7, 60000));
    manager.SendNotify(control, L"later", 0, 0, true);
    int destroyed = 0;
    struct Counter {
        int* count;
        bool Count(void*) {
            ++*count;
            return true;
        }
    } counter{&destroyed};
    control->DestroyHooks += MakeDelegate(&counter, &Counter::Count);

    delete control;
    EXPECT_EQ(1, destroyed);
    EXPECT_EQ(nullptr, manager.ControlByName(L"victim"));
    EXPECT_EQ(nullptr, manager.FocusedControl());
    EXPECT_FALSE(manager.StopTimer(control, 7));
    recorder.log.clear();
    manager.ProcessDeferredWork();
    EXPECT_EQ((std::vector<std::wstring>{L"later:-"}), recorder.log);
}

TEST(ControlLayoutTest, PlacingNormalisesTheRectangleAndRunsSizeHooksOnce) {
    CPaintManagerUI manager;
    CControlUI control;
    int placed = 0;
    struct Counter {
        int* count;
        CControlUI* control;
        bool Count(void*) {
            ++*count;
            control->Place({0, 0, 1, 1});  // re-entry runs no hooks
            return true;
        }
    } counter{&placed, &control};
    control.SizeHooks += MakeDelegate(&counter, &Counter::Count);
    control.Place({10, 10, 5, 5});
    EXPECT_EQ(CUiRect(10, 10, 10, 10), control.ItemRect());
    EXPECT_EQ(0, placed);
    control.Attach(&manager, nullptr, false);
    control.Place({10, 10, 30, 20});
    EXPECT_EQ(1, placed);
    EXPECT_FALSE(control.IsUpdateNeeded());
}

}  // namespace
