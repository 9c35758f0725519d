#include "PaintManagerUI.h"
#include "TestCanvas.h"
#include "TestPng.h"
#include "UiFontInfo.h"
#include "UiGdiPlus.h"
#include "UiRender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace Orvel;

namespace {

constexpr DWORD kBlack = 0xFF000000;

class TextTest : public ::testing::Test {
protected:
    // Draws into a fresh canvas-wide pass; returns the rectangle used.
    RECT Draw(const wchar_t* text, UINT format = DT_SINGLELINE, DWORD color = kBlack, RECT rect = {4, 4, 196, 56}) {
        int none = 0;
        CUiRender::PaintRichText(canvas.Dc(), &manager, rect, text, color, nullptr, nullptr, none, format);
        return rect;
    }

    RECT Measure(const wchar_t* text, UINT format = DT_SINGLELINE, RECT rect = {0, 0, 400, 400}) {
        int none = 0;
        CUiRender::PaintRichText(canvas.Dc(), &manager, rect, text, kBlack, nullptr, nullptr, none,
                                 format | DT_CALCRECT);
        return rect;
    }

    int Dark() const {
        return canvas.CountWhere(canvas.Bounds(), [](DWORD p) { return RedOf(p) + GreenOf(p) + BlueOf(p) < 300; });
    }

    SIZE Extent(const wchar_t* text) {
        HGDIOBJ old = SelectObject(canvas.Dc(), manager.DefaultFontInfo()->font);
        SIZE size = {};
        GetTextExtentPoint32W(canvas.Dc(), text, static_cast<int>(wcslen(text)), &size);
        SelectObject(canvas.Dc(), old);
        return size;
    }

    int LineHeight() {
        const TEXTMETRICW& metrics = manager.DefaultFontInfo()->metrics;
        return metrics.tmHeight + metrics.tmExternalLeading;
    }

    CPaintManagerUI manager;
    TestCanvas canvas{200, 60};
};

TEST_F(TextTest, BoldAndColourTagsChangeThePixelsTheyCover) {
    Draw(L"MMMM");
    const int plain = Dark();
    ASSERT_GT(plain, 0);
    auto reddish = [](DWORD p) { return RedOf(p) > GreenOf(p) + 60 && RedOf(p) > BlueOf(p) + 60; };
    EXPECT_EQ(0, canvas.CountWhere(canvas.Bounds(), reddish));

    canvas.Clear();
    Draw(L"<b>MMMM</b>");
    EXPECT_GT(Dark(), plain + plain / 10);
    TestCanvas angle(200, 60);
    BitBlt(angle.Dc(), 0, 0, 200, 60, canvas.Dc(), 0, 0, SRCCOPY);
    canvas.Clear();
    Draw(L"{b}MMMM{/b}");
    EXPECT_TRUE(canvas.SamePixels(angle));

    canvas.Clear();
    Draw(L"MM<c #FF0000>MM</c>");
    const RECT bounds = canvas.ChangedBounds();
    const int middle = (bounds.left + bounds.right) / 2;
    EXPECT_EQ(0, canvas.CountWhere({0, 0, middle - 1, 60}, reddish));
    EXPECT_GT(canvas.CountWhere({middle, 0, 200, 60}, reddish), 10);
}

// Fonts made for the tags are kept between paints: a text with several
// looks finds each again instead of making it anew every frame.
TEST_F(TextTest, EveryFontLookATextUsesSurvivesTheNextPaint) {
    struct Look {
        int weight;
        bool underline;
        bool italic;
    };
    const struct {
        const wchar_t* text;
        std::vector<Look> looks;
    } cases[] = {
        {L"<b>bold</b> <i>italic</i>", {{FW_BOLD, false, false}, {FW_NORMAL, false, true}}},
        {L"<u>u</u><b><i>bi</i></b><a x>link</a>",
         {{FW_NORMAL, true, false}, {FW_BOLD, false, false}, {FW_BOLD, false, true}}},
    };
    const UiFontInfo& base = *manager.DefaultFontInfo();
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(test.text)));
        Draw(test.text);
        std::vector<HFONT> made;
        for (const Look& look : test.looks) {
            made.push_back(manager.FindFontByAttributes(base.face, base.size, look.weight, look.underline, look.italic));
            EXPECT_NE(nullptr, made.back()) << look.weight << look.underline << look.italic;
        }
        Draw(test.text);
        for (size_t i = 0; i < test.looks.size(); ++i) {
            const Look& look = test.looks[i];
            EXPECT_EQ(made[i], manager.FindFontByAttributes(base.face, base.size, look.weight, look.underline,
                                                           look.italic));
        }
    }
}

TEST_F(TextTest, LinksReportTheirRectanglesAndTargets) {
    RECT links[3] = {};
    CUiString targets[3];
    const struct {
        const wchar_t* text;
        UINT format;
        int capacity;
        int expected;
    } cases[] = {
        {L"go <a http://x/>here</a> now", DT_SINGLELINE, 3, 1},
        {L"<a first>aaa</a> <a second>bbb</a>", DT_SINGLELINE, 1, 1},
        {L"<a wrap>aaaa bbbb cccc dddd eeee</a>", DT_WORDBREAK, 3, 3},
        {L"no links", DT_SINGLELINE, 3, 0},
    };
    for (const auto& item : cases) {
        canvas.Clear();
        RECT rect = {4, 4, item.format == DT_WORDBREAK ? 4 + Extent(L"aaaa bbbb ").cx + 2 : 196, 56};
        int count = item.capacity;
        CUiRender::PaintRichText(canvas.Dc(), &manager, rect, item.text, 0, links, targets, count, item.format);
        ASSERT_EQ(item.expected, count) << testing::PrintToString(std::wstring(item.text));
        for (int i = 0; i < count; ++i) {
            EXPECT_LT(links[i].left, links[i].right);
            EXPECT_EQ(4 + i * LineHeight(), links[i].top);
            EXPECT_EQ(LineHeight(), links[i].bottom - links[i].top);
        }
    }
    // The last case left no links; the first one's geometry and target:
    int count = 3;
    RECT rect = {4, 4, 196, 56};
    canvas.Clear();
    CUiRender::PaintRichText(canvas.Dc(), &manager, rect, L"go <a http://x/>here</a> now", 0, links, targets, count,
                             DT_SINGLELINE);
    ASSERT_EQ(1, count);
    EXPECT_EQ(std::wstring(L"http://x/"), targets[0].Data());
    EXPECT_EQ(4 + Extent(L"go ").cx, links[0].left);
    EXPECT_NEAR(Extent(L"here").cx, links[0].right - links[0].left, 2);
    // Without a colour a link takes the window's link colour (blue).
    auto blue = [](DWORD p) { return BlueOf(p) > 160 && RedOf(p) < 100; };
    EXPECT_GT(canvas.CountWhere(links[0], blue), 5);
    EXPECT_EQ(0, canvas.CountWhere({0, 0, links[0].left, 60}, blue));
}

TEST_F(TextTest, CalcRectMeasuresLinesAndWidth) {
    const SIZE hello = Extent(L"Hello");
    RECT one = Measure(L"Hello");
    EXPECT_EQ(hello.cx, one.right - one.left);
    EXPECT_EQ(LineHeight(), one.bottom - one.top);
    for (const wchar_t* twoLines : {L"Hello<n>Hi", L"Hello\nHi", L"Hello{n}Hi"}) {
        RECT two = Measure(twoLines, 0);
        EXPECT_EQ(hello.cx, two.right - two.left) << testing::PrintToString(std::wstring(twoLines));
        EXPECT_EQ(2 * LineHeight(), two.bottom - two.top) << testing::PrintToString(std::wstring(twoLines));
    }
    // A line that fills the width exactly does not add an empty one before its break.
    for (const wchar_t* exact : {L"Hello\nHi", L"Hello<n>Hi", L"Hello\r\nHi"}) {
        RECT fitted = Measure(exact, DT_WORDBREAK, {0, 0, hello.cx, 400});
        EXPECT_EQ(2 * LineHeight(), fitted.bottom) << testing::PrintToString(std::wstring(exact));
    }
    RECT narrow = Measure(L"aaa bbb ccc", DT_WORDBREAK, {0, 0, Extent(L"aaa b").cx, 400});
    EXPECT_EQ(3 * LineHeight(), narrow.bottom);
    EXPECT_LE(narrow.right, Extent(L"aaa b").cx);
}

TEST_F(TextTest, WordBreakAndEndEllipsisMatchTheTextTheyStandFor) {
    const struct {
        const wchar_t* text;
        const wchar_t* equivalent;
        UINT format;
        const wchar_t* fits;  // the rectangle is as wide as this text
    } cases[] = {
        {L"aaa bbb ccc", L"aaa\nbbb\nccc", DT_WORDBREAK, L"aaa b"},
        {L"\x4E2D\x6587\x6D4B\x8BD5\x6587\x5B57", L"\x4E2D\x6587\x6D4B\n\x8BD5\x6587\x5B57", DT_WORDBREAK,
         L"\x4E2D\x6587\x6D4B"},
        {L"WWWWWWWWWW", L"WW...", DT_SINGLELINE | DT_END_ELLIPSIS, L"WWWW"},
    };
    for (const auto& item : cases) {
        RECT rect = {4, 2, 4 + Extent(item.fits).cx + 1, 58};
        canvas.Clear();
        Draw(item.text, item.format, kBlack, rect);
        TestCanvas expected(200, 60);
        int none = 0;
        CUiRender::PaintRichText(expected.Dc(), &manager, rect, item.equivalent, kBlack, nullptr, nullptr, none,
                                 item.format & ~DT_END_ELLIPSIS);
        EXPECT_GT(Dark(), 0);
        EXPECT_TRUE(canvas.SamePixels(expected)) << testing::PrintToString(std::wstring(item.text));
    }
}

TEST_F(TextTest, ChineseTextDrawsInsideItsRectangle) {
    const RECT rect = {20, 10, 180, 50};
    Draw(L"\x5F00\x59CB\x6E38\x620F \x4E0B\x8F7D\x4E2D", DT_SINGLELINE | DT_VCENTER, kBlack, rect);
    EXPECT_GT(canvas.CountChanged(rect), 20);
    const RECT bounds = canvas.ChangedBounds();
    EXPECT_GE(bounds.left, rect.left);
    EXPECT_LE(bounds.right, rect.right);
}

TEST_F(TextTest, AlignmentCentresTheMeasuredText) {
    const RECT rect = {0, 0, 200, 60};
    Draw(L"<b>Hi</b> there", DT_SINGLELINE | DT_CENTER | DT_VCENTER, kBlack, rect);
    const RECT measured = Measure(L"<b>Hi</b> there");
    const RECT ink = canvas.ChangedBounds();
    const int width = measured.right - measured.left;
    EXPECT_GE(ink.left, (200 - width) / 2);
    EXPECT_LE(ink.right, (200 - width) / 2 + width + 1);
    EXPECT_GE(ink.top, (60 - LineHeight()) / 2);
    EXPECT_LE(ink.bottom, (60 - LineHeight()) / 2 + LineHeight());
}

TEST_F(TextTest, InlineImagesRawTextAndEscapes) {
    std::vector<uint32_t> strip;
    for (int i = 0; i < 200; ++i) {
        strip.push_back((i % 20) < 10 ? 0xFFFF0000 : 0xFF00FF00);
    }
    ASSERT_TRUE(testpng::Write(L"strip.png", 20, 10, strip));
    Draw(L"<i strip.png 2 1>");
    EXPECT_GT(canvas.CountWhere(canvas.Bounds(), [](DWORD p) { return GreenOf(p) > 200 && RedOf(p) < 50; }), 90);
    EXPECT_EQ(0, canvas.CountWhere(canvas.Bounds(), [](DWORD p) { return RedOf(p) > 200 && GreenOf(p) < 50; }));
    EXPECT_EQ(10, canvas.ChangedBounds().right - canvas.ChangedBounds().left);

    canvas.Clear();
    Draw(L"<r><b>x</b></r>");
    TestCanvas escaped(200, 60);
    int none = 0;
    RECT rect = {4, 4, 196, 56};
    CUiRender::PaintRichText(escaped.Dc(), &manager, rect, L"{<}b{>}x{<}/b{>}", kBlack, nullptr, nullptr, none,
                             DT_SINGLELINE);
    EXPECT_GT(Dark(), 0);
    EXPECT_TRUE(canvas.SamePixels(escaped));
}

TEST_F(TextTest, MalformedTagsNeverEscapeTheRectangle) {
    const RECT rect = {10, 10, 120, 40};
    for (const wchar_t* text :
         {L"<q>x</q>", L"abc<b", L"<c #FF0000 never closed", L"</", L"{", L"<", L"x<i missing.png>y", L"<f>z</f>",
          L"<x abc>w", L"</b></b></a></c></p>v", L"<a>link", L"<i file='nope.png' 0 -5>u", L"<f Bogus Face 99 bold>t",
          L"<y -5>s<p 9999>q<x 99999>r", L"<r>unterminated raw <b>"}) {
        canvas.Clear();
        Draw(text, DT_WORDBREAK, kBlack, rect);
        const RECT ink = canvas.ChangedBounds();
        EXPECT_GT(canvas.CountChanged(rect), 0) << testing::PrintToString(std::wstring(text));
        EXPECT_EQ(canvas.CountChanged(canvas.Bounds()), canvas.CountChanged(rect))
            << testing::PrintToString(std::wstring(text)) << " " << ink.left << "," << ink.top;
    }
}

TEST_F(TextTest, PlainTextOnGdiAndGdiPlus) {
    RECT rect = {4, 4, 196, 56};
    RECT measured = rect;
    CUiRender::PaintText(canvas.Dc(), &manager, measured, L"Hello", kBlack, -1, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(Extent(L"Hello").cx, measured.right - measured.left);
    CUiRender::PaintText(canvas.Dc(), &manager, rect, L"Hello", kBlack, -1, DT_SINGLELINE);
    const int gdi = Dark();
    EXPECT_GT(gdi, 0);

    manager.SetGdiplusText(true);
    manager.SetTextRenderingHint(2);  // one bit per pixel, so text pixels show the brush as is
    canvas.Clear();
    RECT gdiplusMeasured = {4, 4, 196, 56};
    CUiRender::PaintText(canvas.Dc(), &manager, gdiplusMeasured, L"Hello", kBlack, -1, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_GT(gdiplusMeasured.right - gdiplusMeasured.left, 10);
    EXPECT_GT(gdiplusMeasured.bottom - gdiplusMeasured.top, 5);
    RECT drawn = {4, 4, 196, 56};
    CUiRender::PaintText(canvas.Dc(), &manager, drawn, L"Hello", kBlack, -1, DT_SINGLELINE);
    EXPECT_GT(Dark(), 0);
    // The text brush is one step below opaque: its darkest pixel is lighter
    // than that of the same text drawn with an opaque brush.
    TestCanvas opaque(200, 60);
    {
        using namespace Gdiplus::DllExports;
        HGDIOBJ old = SelectObject(opaque.Dc(), manager.FontById(-1));
        ScopedGpGraphics graphics;
        ScopedGpFont font;
        ScopedGpBrush brush;
        Gdiplus::GpStringFormat* generic = nullptr;
        GdipCreateFromHDC(opaque.Dc(), graphics.Receive());
        GdipCreateFontFromDC(opaque.Dc(), font.Receive());
        GdipStringFormatGetGenericTypographic(&generic);
        GdipSetTextRenderingHint(graphics.Get(), static_cast<Gdiplus::TextRenderingHint>(2));
        CreateGpSolidBrush(kBlack, brush);
        Gdiplus::RectF layout(4, 4, 192, 52);
        GdipDrawString(graphics.Get(), L"Hello", -1, font.Get(), &layout, generic, brush.Get());
        SelectObject(opaque.Dc(), old);
    }
    auto darkest = [](const TestCanvas& target) {
        int value = 255;
        target.CountWhere(target.Bounds(), [&value](DWORD p) {
            value = std::min(value, RedOf(p));
            return false;
        });
        return value;
    };
    EXPECT_LT(darkest(opaque), darkest(canvas));
}

}  // namespace
