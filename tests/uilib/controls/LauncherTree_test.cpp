#include "LauncherTree.h"

#include "ControlUI.h"
#include "PaintManagerUI.h"
#include "TestWindow.h"
#include "UiControlTestHelpers.h"

#include <gtest/gtest.h>

#include <memory>

using namespace Orvel;
using controltest::RectText;

namespace {

struct Expected {
    const wchar_t* name;
    RECT at100;
    RECT at150;
};

// Worked out by hand from the skin's sizes; the title's width is the only
// one that depends on the font.
const Expected kRects[] = {
    {L"main_window_layout", {0, 0, 720, 496}, {0, 0, 1080, 744}},
    {L"background_layout", {0, 0, 720, 412}, {0, 0, 1080, 618}},
    {L"header", {0, 0, 720, 80}, {0, 0, 1080, 120}},
    {L"logo", {20, 15, 106, 35}, {30, 23, 159, 53}},
    {L"btn_wnd_min", {646, 10, 676, 40}, {969, 15, 1014, 60}},
    {L"btn_wnd_close", {680, 10, 710, 40}, {1020, 15, 1065, 60}},
    {L"progressLayout", {0, 412, 720, 496}, {0, 618, 1080, 744}},
    {L"progress", {16, 432, 704, 446}, {24, 648, 1056, 669}},
    {L"row", {16, 446, 704, 476}, {24, 669, 1056, 714}},
    {L"size_layout", {16, 446, 196, 476}, {24, 669, 294, 714}},
    {L"current_size", {16, 446, 105, 476}, {24, 669, 157, 714}},
    {L"size_separator", {105, 446, 107, 476}, {157, 669, 160, 714}},
    {L"total_size", {107, 446, 196, 476}, {160, 669, 294, 714}},
    {L"speed_layout", {224, 446, 292, 476}, {336, 669, 438, 714}},
    {L"current_speed", {224, 446, 292, 476}, {336, 669, 438, 714}},
    {L"row_spacer", {292, 446, 564, 476}, {438, 669, 846, 714}},
    {L"current_progress_layout", {564, 446, 704, 476}, {846, 669, 1056, 714}},
    {L"current_progress_text", {564, 446, 634, 476}, {846, 669, 951, 714}},
    {L"current_progress_value", {634, 446, 704, 476}, {951, 669, 1056, 714}},
};

// The title's text width in its font, measured with GDI itself.
int TitleTextWidth(CPaintManagerUI& manager) {
    const wchar_t title[] = L"专属下载器";
    HDC dc = manager.PaintDC();
    HGDIOBJ old = SelectObject(dc, manager.FontById(1));
    SIZE size = {};
    GetTextExtentPoint32W(dc, title, static_cast<int>(wcslen(title)), &size);
    SelectObject(dc, old);
    return size.cx;
}

class LauncherTreeTest : public ::testing::TestWithParam<int> {};

TEST_P(LauncherTreeTest, EveryControlGetsItsRectangle) {
    const bool scaled = GetParam() == 144;
    TestWindow window([](UINT, WPARAM, LPARAM) { return false; });
    CPaintManagerUI manager;
    manager.Attach(window.Handle(), L"launcher");
    manager.DpiScale().SetDpi(GetParam());
    std::unique_ptr<CControlUI> root(BuildLauncherTree(manager));
    root->Place(scaled ? RECT{0, 0, 1080, 744} : RECT{0, 0, 720, 496});

    for (const Expected& item : kRects) {
        CControlUI* control = manager.ControlByName(item.name);
        ASSERT_NE(nullptr, control) << testing::PrintToString(std::wstring(item.name));
        EXPECT_EQ(RectText(scaled ? item.at150 : item.at100), RectText(control->ItemRect()))
            << testing::PrintToString(std::wstring(item.name));
    }

    // The title sizes itself to its text (kept in 96-DPI units, so at 150 %
    // the width goes through one rounding each way); the spacer takes the rest.
    int titleWidth = TitleTextWidth(manager);
    ASSERT_GT(titleWidth, 0);
    if (scaled) {
        titleWidth = MulDiv(MulDiv(titleWidth, 100, 150), 150, 100);
    }
    const RECT title = scaled ? RECT{174, 15, 174 + titleWidth, 60} : RECT{116, 10, 116 + titleWidth, 40};
    const RECT spacer = scaled ? RECT{174 + titleWidth, 0, 969, 120} : RECT{116 + titleWidth, 0, 646, 80};
    EXPECT_EQ(RectText(title), RectText(manager.ControlByName(L"title")->ItemRect()));
    EXPECT_EQ(RectText(spacer), RectText(manager.ControlByName(L"title_spacer")->ItemRect()));
}

INSTANTIATE_TEST_SUITE_P(Scales, LauncherTreeTest, ::testing::Values(96, 144));

}  // namespace
