#include "LabelUI.h"
#include "LayoutBuilder.h"
#include "PaintManagerUI.h"
#include "TestCanvas.h"
#include "UiControlTestHelpers.h"
#include "UiFontInfo.h"
#include "UiTestWindow.h"

#include <gtest/gtest.h>

using namespace Orvel;
using controltest::RectText;

namespace {

TEST(LabelAttributesTest, AlignmentAndBreaksChangeTheTextStyle) {
    const struct {
        const wchar_t* attributes;
        UINT expected;
    } cases[] = {
        {L"", DT_VCENTER | DT_SINGLELINE},
        {L"align=\"right\" align=\"center\"", DT_CENTER | DT_VCENTER | DT_SINGLELINE},
        {L"align=\"center\" align=\"right\"", DT_RIGHT | DT_VCENTER | DT_SINGLELINE},
        {L"align=\"right\" align=\"left\"", DT_VCENTER | DT_SINGLELINE},
        {L"wordbreak=\"true\"", DT_VCENTER | DT_WORDBREAK | DT_EDITCONTROL},
        {L"wordbreak=\"true\" valign=\"bottom\"", DT_BOTTOM | DT_SINGLELINE | DT_EDITCONTROL},
        {L"valign=\"bottom\" valign=\"top\"", DT_SINGLELINE},
        {L"wordbreak=\"true\" wordbreak=\"false\"", DT_VCENTER | DT_SINGLELINE},
        {L"endellipsis=\"TRUE\" noprefix=\"true\"", DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX},
        {L"endellipsis=\"true\" endellipsis=\"no\"", DT_VCENTER | DT_SINGLELINE},
    };
    for (const auto& item : cases) {
        CLabelUI label;
        label.ApplyAttributeList(item.attributes);
        EXPECT_EQ(item.expected, label.TextStyle()) << testing::PrintToString(std::wstring(item.attributes));
    }
    CLabelUI label;
    label.ApplyAttributeList(L"textcolor=\"#FF102030\" disabledtextcolor=\"0x80405060\" font=\"3\" "
                             L"textpadding=\"1,2,3,4\" showhtml=\"true\" autocalcwidth=\"true\" width=\"7\"");
    EXPECT_EQ(0xFF102030u, label.TextColor());
    EXPECT_EQ(0x80405060u, label.DisabledTextColor());
    EXPECT_EQ(3, label.Font());
    EXPECT_EQ(RectText({1, 2, 3, 4}), RectText(label.TextPadding()));
    EXPECT_TRUE(label.IsShowHtml());
    EXPECT_TRUE(label.IsAutoWidth());
    EXPECT_EQ(7, label.FixedWidth()) << "other names reach the control base";
}

TEST(LabelMeasureTest, HeightIsTheFontsUnlessFixed) {
    CPaintManagerUI manager;
    manager.RegisterFont(1, L"", 20, FW_NORMAL, false, false);
    CLabelUI label;
    manager.BindControls(&label);
    label.SetFont(1);
    label.SetFixedWidth(33);
    const int textHeight = manager.FontInfoById(1)->metrics.tmHeight;
    ASSERT_GT(textHeight, 0);
    EXPECT_EQ(CUiSize(33, textHeight + 4), label.MeasureSize({500, 500}));
    label.SetFixedHeight(9);
    EXPECT_EQ(CUiSize(33, 9), label.MeasureSize({500, 500}));
}

TEST(LabelPaintTest, TextIsDrawnInsideItsPaddingInTheStatesColour) {
    CPaintManagerUI manager;
    CLabelUI label;
    manager.BindControls(&label);
    label.ApplyAttributeList(L"text=\"WWWW\" textcolor=\"#FFFF0000\" textpadding=\"20,0,0,0\" align=\"left\"");
    label.Place({0, 0, 100, 30});
    // Glyph edges are blended with the background; their cores keep the hue.
    auto reddish = [](DWORD p) { return RedOf(p) > GreenOf(p) + 60 && RedOf(p) > BlueOf(p) + 60; };
    auto bluish = [](DWORD p) { return BlueOf(p) > GreenOf(p) + 60 && BlueOf(p) > RedOf(p) + 60; };

    TestCanvas canvas(100, 30);
    label.Paint(canvas.Dc(), canvas.Bounds());
    EXPECT_GT(canvas.CountWhere(canvas.Bounds(), reddish), 10);
    EXPECT_GE(canvas.ChangedBounds().left, 20);

    canvas.Clear();
    label.SetEnabled(false);
    label.Paint(canvas.Dc(), canvas.Bounds());
    EXPECT_EQ(0, canvas.CountWhere(canvas.Bounds(), reddish));
    EXPECT_GT(canvas.CountChanged(canvas.Bounds()), 10) << "in the window's disabled colour";

    // With show-html the inline colour wins over the label's.
    canvas.Clear();
    label.SetEnabled(true);
    label.SetText(L"<c #FF0000FF>WWWW</c>");
    label.SetShowHtml(true);
    label.Paint(canvas.Dc(), canvas.Bounds());
    EXPECT_EQ(0, canvas.CountWhere(canvas.Bounds(), reddish));
    EXPECT_GT(canvas.CountWhere(canvas.Bounds(), bluish), 10);
}

// Each layout pass offers an auto-width label the width of the last one;
// whatever draws its text, a longer text must still widen it.
TEST(LabelMeasureTest, AutoWidthFollowsALongerTextInEveryTextMode) {
    const struct {
        const char* what;
        const wchar_t* window;
        const wchar_t* label;
    } cases[] = {
        {"plain", L"", L""},
        {"inline tags", L"", L"showhtml=\"true\""},
        {"word breaks", L"", L"wordbreak=\"true\""},
        {"GDI+ text", L"gdiplustext=\"true\"", L""},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.what);
        UiTestWindow window{400, 60};
        const std::wstring skin = std::wstring(L"<Window ") + item.window +
                                  L"><HorizontalLayout><Label name=\"l\" autocalcwidth=\"true\" text=\"ab\" " +
                                  item.label + L"/><Control/></HorizontalLayout></Window>";
        CLayoutBuilder builder;
        ASSERT_TRUE(window.Manager().AttachRoot(builder.Build(skin.c_str(), nullptr, nullptr, &window.Manager())));
        window.Show();
        auto* label = static_cast<CLabelUI*>(window.Manager().ControlByName(L"l"));
        ASSERT_NE(nullptr, label);
        const int shortWidth = label->ItemRect().Width();
        EXPECT_GT(shortWidth, 0);
        label->SetText(L"ab ab ab ab ab ab ab ab");
        window.Repaint();
        EXPECT_GT(label->ItemRect().Width(), 4 * shortWidth);
        EXPECT_EQ(label->FixedWidth(), label->ItemRect().Width());
    }
}

}  // namespace
