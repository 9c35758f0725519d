// The main window's skin (resource 117 of type "xml", linked in as in the
// launcher) built by the layout builder into a real window at 100, 125 and
// 150 %: the window's size and attributes, its fonts, every control the
// main window looks up by name (of its class, under its parent), where each
// control of the skin lies, and what the window shows there.
#include "ButtonUI.h"
#include "ContainerUI.h"
#include "LabelUI.h"
#include "LayoutBuilder.h"
#include "PaintManagerUI.h"
#include "ProgressUI.h"
#include "TestCanvas.h"
#include "UiFontInfo.h"
#include "UiTestWindow.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

using namespace Orvel;

namespace {

struct NamedControl {
    const wchar_t* name;
    const wchar_t* className;
    const wchar_t* parent;  // "" for an unnamed parent, null for the root
};

const NamedControl kControls[] = {
    {L"main_window_layout", L"VerticalLayoutUI", nullptr},
    {L"background_layout", L"VerticalLayoutUI", L"main_window_layout"},
    {L"btn_wnd_min", L"ButtonUI", L""},
    {L"btn_wnd_close", L"ButtonUI", L""},
    {L"progressLayout", L"VerticalLayoutUI", L"main_window_layout"},
    {L"progress", L"ProgressUI", L"progressLayout"},
    {L"size_layout", L"HorizontalLayoutUI", L""},
    {L"current_size", L"LabelUI", L"size_layout"},
    {L"total_size", L"LabelUI", L"size_layout"},
    {L"speed_layout", L"HorizontalLayoutUI", L""},
    {L"current_speed", L"LabelUI", L"speed_layout"},
    {L"current_progress_layout", L"HorizontalLayoutUI", L""},
    {L"current_progress_text", L"LabelUI", L"current_progress_layout"},
    {L"current_progress_value", L"LabelUI", L"current_progress_layout"},
};

enum Scale { At100, At125, At150 };
const int kDpi[] = {96, 120, 144};

// A control of the skin: a named one, or a child (by index) of one, or its parent (-1).
struct Placed {
    const wchar_t* what;
    const wchar_t* name;
    int step;
    RECT at[3];  // worked out by hand from the skin's sizes at each scale
};

const Placed kPlaced[] = {
    {L"main_window_layout", L"main_window_layout", -2, {{0, 0, 720, 496}, {0, 0, 900, 620}, {0, 0, 1080, 744}}},
    {L"background_layout", L"background_layout", -2, {{0, 0, 720, 412}, {0, 0, 900, 515}, {0, 0, 1080, 618}}},
    {L"header", L"background_layout", 0, {{0, 0, 720, 80}, {0, 0, 900, 100}, {0, 0, 1080, 120}}},
    {L"btn_wnd_min", L"btn_wnd_min", -2, {{646, 10, 676, 40}, {806, 13, 844, 51}, {969, 15, 1014, 60}}},
    {L"btn_wnd_close", L"btn_wnd_close", -2, {{680, 10, 710, 40}, {849, 13, 887, 51}, {1020, 15, 1065, 60}}},
    {L"progressLayout", L"progressLayout", -2, {{0, 412, 720, 496}, {0, 515, 900, 620}, {0, 618, 1080, 744}}},
    {L"progress", L"progress", -2, {{16, 432, 704, 446}, {20, 540, 880, 558}, {24, 648, 1056, 669}}},
    {L"row", L"size_layout", -1, {{16, 446, 704, 476}, {20, 558, 880, 596}, {24, 669, 1056, 714}}},
    {L"size_layout", L"size_layout", -2, {{16, 446, 196, 476}, {20, 558, 245, 596}, {24, 669, 294, 714}}},
    {L"current_size", L"current_size", -2, {{16, 446, 105, 476}, {20, 558, 131, 596}, {24, 669, 157, 714}}},
    {L"separator", L"size_layout", 1, {{105, 446, 107, 476}, {131, 558, 134, 596}, {157, 669, 160, 714}}},
    {L"total_size", L"total_size", -2, {{107, 446, 196, 476}, {134, 558, 245, 596}, {160, 669, 294, 714}}},
    {L"speed_layout", L"speed_layout", -2, {{224, 446, 292, 476}, {280, 558, 365, 596}, {336, 669, 438, 714}}},
    {L"current_speed", L"current_speed", -2, {{224, 446, 292, 476}, {280, 558, 365, 596}, {336, 669, 438, 714}}},
    {L"current_progress_layout", L"current_progress_layout", -2,
     {{564, 446, 704, 476}, {705, 558, 880, 596}, {846, 669, 1056, 714}}},
};

CControlUI* ChildAt(CControlUI* control, int index) {
    auto* items = static_cast<IContainerUI*>(control->CastTo(L"IContainer"));
    return items != nullptr ? items->ItemAt(index) : nullptr;
}

CControlUI* Locate(CPaintManagerUI& manager, const Placed& placed) {
    CControlUI* control = manager.ControlByName(placed.name);
    if (control == nullptr || placed.step == -2) {
        return control;
    }
    return placed.step == -1 ? control->Parent() : ChildAt(control, placed.step);
}

// A text's width in a font of the window, measured with GDI itself.
int TextWidth(CPaintManagerUI& manager, int font, const wchar_t* text) {
    HDC dc = manager.PaintDC();
    HGDIOBJ old = SelectObject(dc, manager.FontById(font));
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
    SelectObject(dc, old);
    return size.cx;
}

class LauncherSkinTest : public ::testing::TestWithParam<Scale> {
protected:
    void SetUp() override {
        manager().DpiScale().SetDpi(kDpi[GetParam()]);
        root = builder.Build(MAKEINTRESOURCEW(117), L"xml", nullptr, &manager());
        ASSERT_NE(nullptr, root) << builder.Markup().ErrorMessage();
    }

    CPaintManagerUI& manager() { return window.Manager(); }
    int Scaled(int value) { return manager().DpiScale().ScaleValue(value); }
    // An auto-width label keeps its width in 96-DPI units: one rounding each way.
    int AutoWidth(int width) { return Scaled(manager().DpiScale().UnscaleValue(width)); }

    UiTestWindow window{200, 120};
    CLayoutBuilder builder;
    CControlUI* root = nullptr;  // owned by the manager once attached
};

TEST_P(LauncherSkinTest, BuildsIntoTheTreeTheMainWindowExpects) {
    EXPECT_EQ(0, builder.LeftOutCount());
    RECT bounds = {};
    GetWindowRect(window.Handle(), &bounds);
    EXPECT_EQ(Scaled(720), bounds.right - bounds.left);
    EXPECT_EQ(Scaled(496), bounds.bottom - bounds.top);
    // Every length of the window's own follows the scale, as the skin's do.
    EXPECT_EQ(CUiSize(Scaled(720), Scaled(496)), manager().MinInfo());
    EXPECT_EQ(CUiRect(0, 0, 0, Scaled(50)), manager().CaptionRect());
    EXPECT_EQ(CUiRect(Scaled(4), Scaled(4), Scaled(4), Scaled(4)), manager().SizeBox());

    const struct {
        int id;
        int size;
        int weight;
    } fonts[] = {{0, 12, FW_NORMAL}, {1, 16, 600}, {2, 16, FW_NORMAL}};
    for (const auto& font : fonts) {
        UiFontInfo* info = manager().FontInfoById(font.id);
        ASSERT_NE(manager().DefaultFontInfo(), info) << font.id;
        EXPECT_EQ(std::wstring(L"微软雅黑"), info->face.Data()) << font.id;
        EXPECT_EQ(font.size, info->size) << font.id;
        EXPECT_EQ(font.weight, info->weight) << font.id;
        LOGFONTW description = {};
        GetObjectW(info->font, sizeof(description), &description);
        EXPECT_EQ(-Scaled(font.size), description.lfHeight) << font.id;
    }
    EXPECT_EQ(std::wstring(L"微软雅黑"), manager().DefaultFontInfo()->face.Data());
    EXPECT_EQ(12, manager().DefaultFontInfo()->size);

    ASSERT_TRUE(manager().AttachRoot(root));
    window.Show();
    for (const NamedControl& expected : kControls) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(expected.name)));
        CControlUI* control = manager().ControlByName(expected.name);
        ASSERT_NE(nullptr, control);
        EXPECT_STREQ(expected.className, control->ClassName());
        if (expected.parent == nullptr) {
            EXPECT_EQ(root, control);
            EXPECT_EQ(nullptr, control->Parent());
        } else {
            ASSERT_NE(nullptr, control->Parent());
            EXPECT_EQ(std::wstring(expected.parent), control->Parent()->Name().Data());
        }
    }

    // The Button default comes first; the buttons' own attributes follow.
    for (const wchar_t* name : {L"btn_wnd_min", L"btn_wnd_close"}) {
        CControlUI* button = manager().ControlByName(name);
        EXPECT_EQ(0, button->BorderSize());
        EXPECT_EQ(0xFF222222u, button->BorderColor());
    }
    auto* size = static_cast<CLabelUI*>(manager().ControlByName(L"current_size")->CastTo(L"Label"));
    EXPECT_EQ(2, size->Font());
    EXPECT_EQ(std::wstring(L"0M"), size->Text().Data());
    auto* progress = static_cast<CProgressUI*>(manager().ControlByName(L"progress")->CastTo(L"Progress"));
    EXPECT_EQ(100, progress->Maximum());
    EXPECT_TRUE(progress->IsHorizontal());
    EXPECT_TRUE(progress->IsStretchFore());
}

TEST_P(LauncherSkinTest, EveryControlGetsItsRectangle) {
    ASSERT_TRUE(manager().AttachRoot(root));
    window.Show();
    for (const Placed& placed : kPlaced) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(placed.what)));
        CControlUI* control = Locate(manager(), placed);
        ASSERT_NE(nullptr, control);
        EXPECT_EQ(CUiRect(placed.at[GetParam()]), control->ItemRect());
    }

    // The title and the percentage size themselves to their texts; the
    // spacer beside the title and the stage text take the rest.
    CControlUI* header = ChildAt(manager().ControlByName(L"background_layout"), 0);
    const int titleWidth = AutoWidth(TextWidth(manager(), 1, L"专属下载器"));
    const int titleLeft = Scaled(20) + Scaled(86) + Scaled(10);
    const int buttons = manager().ControlByName(L"btn_wnd_min")->ItemRect().left;
    EXPECT_EQ(CUiRect(titleLeft, Scaled(10), titleLeft + titleWidth, Scaled(10) + Scaled(30)),
              ChildAt(header, 1)->ItemRect());
    EXPECT_EQ(CUiRect(titleLeft + titleWidth, 0, buttons, Scaled(80)), ChildAt(header, 2)->ItemRect());

    const CUiRect stage = manager().ControlByName(L"current_progress_layout")->ItemRect();
    const int percentWidth = AutoWidth(TextWidth(manager(), 2, L"0%") + Scaled(4));
    EXPECT_EQ(CUiRect(stage.right - percentWidth, stage.top, stage.right, stage.bottom),
              manager().ControlByName(L"current_progress_value")->ItemRect());
    EXPECT_EQ(CUiRect(stage.left, stage.top, stage.right - percentWidth, stage.bottom),
              manager().ControlByName(L"current_progress_text")->ItemRect());
}

TEST_P(LauncherSkinTest, TheWindowShowsTheSkinWhereTheScaledLayoutPutsIt) {
    // The window as small as it may get still shows the whole skin.
    const CUiSize smallest = manager().MinInfo();
    SetWindowPos(window.Handle(), nullptr, 0, 0, smallest.cx, smallest.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(manager().AttachRoot(root));
    window.Show();
    const CUiRect bar = manager().ControlByName(L"progress")->ItemRect();
    const CUiRect close = manager().ControlByName(L"btn_wnd_close")->ItemRect();
    ASSERT_LE(bar.bottom, smallest.cy);
    ASSERT_EQ(Scaled(14), bar.Height());
    const struct {
        const char* what;
        POINT at;
        DWORD rgb;
        int tolerance;
    } probes[] = {
        {"the main layout's colour beside the progress row", {Scaled(8), bar.bottom + Scaled(10)}, 0x2F3136, 0},
        {"the progress track's middle", {(bar.left + bar.right) / 2, (bar.top + bar.bottom) / 2}, 0x202225, 12},
        {"the close button's cross", {(close.left + close.right) / 2, (close.top + close.bottom) / 2}, 0xB9BBBE, 12},
    };
    for (const auto& probe : probes) {
        EXPECT_TRUE(NearRgb(probe.rgb, window.OffscreenPixel(probe.at.x, probe.at.y), probe.tolerance))
            << probe.what << " at " << probe.at.x << "," << probe.at.y << ": " << std::hex
            << window.OffscreenPixel(probe.at.x, probe.at.y);
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, LauncherSkinTest, ::testing::Values(At100, At125, At150),
                         [](const ::testing::TestParamInfo<Scale>& info) {
                             return std::to_string(kDpi[info.param] * 100 / 96) + "Percent";
                         });

}  // namespace
