// The main window's skin (resource 117 of type "xml", linked in as in the
// launcher) built by the layout builder into a real window: the window's
// size and attributes, its fonts, and every control the main window looks up
// by name, of its class, under its parent, where the window expects it.
#include "ButtonUI.h"
#include "LabelUI.h"
#include "LayoutBuilder.h"
#include "PaintManagerUI.h"
#include "ProgressUI.h"
#include "UiFontInfo.h"
#include "UiTestWindow.h"

#include <gtest/gtest.h>

#include <string>

using namespace Orvel;

namespace {

struct NamedControl {
    const wchar_t* name;
    const wchar_t* className;
    const wchar_t* parent;  // "" for an unnamed parent, null for the root
    RECT rect;              // at 96 DPI in a 720 x 496 window; empty: not checked
};

const NamedControl kControls[] = {
    {L"main_window_layout", L"VerticalLayoutUI", nullptr, {0, 0, 720, 496}},
    {L"background_layout", L"VerticalLayoutUI", L"main_window_layout", {0, 0, 720, 412}},
    {L"btn_wnd_min", L"ButtonUI", L"", {646, 10, 676, 40}},
    {L"btn_wnd_close", L"ButtonUI", L"", {680, 10, 710, 40}},
    {L"progressLayout", L"VerticalLayoutUI", L"main_window_layout", {0, 412, 720, 496}},
    {L"progress", L"ProgressUI", L"progressLayout", {16, 432, 704, 446}},
    {L"size_layout", L"HorizontalLayoutUI", L"", {16, 446, 196, 476}},
    {L"current_size", L"LabelUI", L"size_layout", {}},
    {L"total_size", L"LabelUI", L"size_layout", {}},
    {L"speed_layout", L"HorizontalLayoutUI", L"", {224, 446, 292, 476}},
    {L"current_speed", L"LabelUI", L"speed_layout", {224, 446, 292, 476}},
    {L"current_progress_layout", L"HorizontalLayoutUI", L"", {564, 446, 704, 476}},
    {L"current_progress_text", L"LabelUI", L"current_progress_layout", {}},
    {L"current_progress_value", L"LabelUI", L"current_progress_layout", {}},
};

}  // namespace

TEST(LauncherSkinTest, BuildsIntoTheTreeTheMainWindowExpects) {
    UiTestWindow window{200, 120};
    CPaintManagerUI& manager = window.Manager();
    CLayoutBuilder builder;
    CControlUI* root = builder.Build(MAKEINTRESOURCEW(117), L"xml", nullptr, &manager);
    ASSERT_NE(nullptr, root) << builder.Markup().ErrorMessage();
    EXPECT_EQ(0, builder.LeftOutCount());

    RECT bounds = {};
    GetWindowRect(window.Handle(), &bounds);
    EXPECT_EQ(720, bounds.right - bounds.left);
    EXPECT_EQ(496, bounds.bottom - bounds.top);
    EXPECT_EQ(CUiSize(720, 496), manager.MinInfo());
    EXPECT_EQ(CUiRect(0, 0, 0, 50), manager.CaptionRect());
    EXPECT_EQ(CUiRect(4, 4, 4, 4), manager.SizeBox());

    const struct {
        int id;
        int size;
        int weight;
    } fonts[] = {{0, 12, FW_NORMAL}, {1, 16, 600}, {2, 16, FW_NORMAL}};
    for (const auto& font : fonts) {
        UiFontInfo* info = manager.FontInfoById(font.id);
        ASSERT_NE(manager.DefaultFontInfo(), info) << font.id;
        EXPECT_EQ(std::wstring(L"微软雅黑"), info->face.Data()) << font.id;
        EXPECT_EQ(font.size, info->size) << font.id;
        EXPECT_EQ(font.weight, info->weight) << font.id;
    }
    EXPECT_EQ(std::wstring(L"微软雅黑"), manager.DefaultFontInfo()->face.Data());
    EXPECT_EQ(12, manager.DefaultFontInfo()->size);

    ASSERT_TRUE(manager.AttachRoot(root));
    window.Show();
    for (const NamedControl& expected : kControls) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(expected.name)));
        CControlUI* control = manager.ControlByName(expected.name);
        ASSERT_NE(nullptr, control);
        EXPECT_STREQ(expected.className, control->ClassName());
        if (expected.parent == nullptr) {
            EXPECT_EQ(root, control);
            EXPECT_EQ(nullptr, control->Parent());
        } else {
            ASSERT_NE(nullptr, control->Parent());
            EXPECT_EQ(std::wstring(expected.parent), control->Parent()->Name().Data());
        }
        if (!IsRectEmpty(&expected.rect)) {
            EXPECT_EQ(CUiRect(expected.rect), control->ItemRect());
        }
    }

    // The Button default comes first; the buttons' own attributes follow.
    for (const wchar_t* name : {L"btn_wnd_min", L"btn_wnd_close"}) {
        CControlUI* button = manager.ControlByName(name);
        EXPECT_EQ(0, button->BorderSize());
        EXPECT_EQ(0xFF222222u, button->BorderColor());
    }
    auto* size = static_cast<CLabelUI*>(manager.ControlByName(L"current_size")->CastTo(L"Label"));
    EXPECT_EQ(2, size->Font());
    EXPECT_EQ(std::wstring(L"0M"), size->Text().Data());
    auto* progress = static_cast<CProgressUI*>(manager.ControlByName(L"progress")->CastTo(L"Progress"));
    EXPECT_EQ(100, progress->Maximum());
    EXPECT_TRUE(progress->IsHorizontal());
    EXPECT_TRUE(progress->IsStretchFore());

    // The main layout's colour shows beside the progress row's inset.
    EXPECT_EQ(0x2F3136u, window.OffscreenPixel(8, 470) & 0xFFFFFF);
}
