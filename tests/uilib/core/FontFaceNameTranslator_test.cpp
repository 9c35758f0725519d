#include "FontFaceNameTranslator.h"
#include "UiPlatform.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

using Orvel::CUiString;
using Orvel::FontFaceNameTranslator;

namespace {

std::wstring MessageFontFace() {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    EXPECT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    return metrics.lfMessageFont.lfFaceName;
}

// One character drawn black on white in a 32x32 cell, as raw pixels.
std::vector<DWORD> RenderGlyph(const wchar_t* face, wchar_t ch) {
    constexpr int kSize = 32;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kSize;
    info.bmiHeader.biHeight = -kSize;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<DWORD> pixels;
    if (dc == nullptr || bitmap == nullptr) {
        ADD_FAILURE() << "no memory bitmap";
        return pixels;
    }
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    LOGFONTW description = {};
    description.lfHeight = -24;
    description.lfWeight = FW_NORMAL;
    description.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(description.lfFaceName, face, LF_FACESIZE - 1);
    HFONT font = CreateFontIndirectW(&description);
    HGDIOBJ oldFont = SelectObject(dc, font);
    RECT cell = {0, 0, kSize, kSize};
    FillRect(dc, &cell, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 2, 2, &ch, 1);
    GdiFlush();
    const DWORD* first = static_cast<const DWORD*>(bits);
    pixels.assign(first, first + kSize * kSize);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

int InkedPixels(const std::vector<DWORD>& pixels) {
    int count = 0;
    for (DWORD pixel : pixels) {
        count += (pixel & 0xFFFFFF) != 0xFFFFFF ? 1 : 0;
    }
    return count;
}

}  // namespace

TEST(FontFaceNameTranslatorTest, TranslatesTheListedChineseFamilies) {
    const FontFaceNameTranslator& translator = FontFaceNameTranslator::Instance();
    EXPECT_STREQ(L"SimSun", translator.Translate(L"宋体"));
    EXPECT_STREQ(L"STXihei", translator.Translate(L"华文细黑"));
    EXPECT_STREQ(L"FangZheng QiTi", translator.Translate(L"方正启体"));
    const wchar_t* english = L"Arial";
    EXPECT_EQ(english, translator.Translate(english));
    EXPECT_STREQ(L"宋", translator.Translate(L"宋"));
    EXPECT_EQ(nullptr, translator.Translate(nullptr));
    EXPECT_EQ(&translator, &FontFaceNameTranslator::Instance());
}

// The test prefix reports Windows 10 (scripts/wine-prefix).
TEST(FontFaceNameTranslatorTest, YaHeiIsTheUiFamilyOnWindows10) {
    EXPECT_STREQ(L"Microsoft YaHei UI", FontFaceNameTranslator::Instance().Translate(L"微软雅黑"));
}

TEST(FontFaceNameTranslatorTest, InstalledTestSeesRealFamiliesOnly) {
    const FontFaceNameTranslator& translator = FontFaceNameTranslator::Instance();
    EXPECT_FALSE(translator.IsInstalled(L"No Such Face 7f3a"));
    EXPECT_FALSE(translator.IsInstalled(L""));
    EXPECT_FALSE(translator.IsInstalled(nullptr));
    // The CJK family installed for the tests carries GB2312 glyphs.
    EXPECT_TRUE(translator.IsInstalled(L"WenQuanYi Micro Hei"));
}

// The test prefix has no Microsoft YaHei family: the default face is the
// face of the system's message font, which draws Chinese.
TEST(FontFaceNameTranslatorTest, WithoutYaHeiTheDefaultIsTheMessageFontAndDrawsChinese) {
    const FontFaceNameTranslator& translator = FontFaceNameTranslator::Instance();
    ASSERT_FALSE(translator.IsInstalled(L"Microsoft YaHei UI")) << "the test needs a system without YaHei";
    CUiString face = translator.DefaultFace();
    EXPECT_EQ(MessageFontFace(), face.Data());
    EXPECT_STREQ(face.Data(), translator.SystemFace().Data());
    std::vector<DWORD> song = RenderGlyph(face.Data(), L'宋');
    std::vector<DWORD> ti = RenderGlyph(face.Data(), L'体');
    std::vector<DWORD> missing = RenderGlyph(face.Data(), 0xE000);
    EXPECT_GT(InkedPixels(song), 20);
    EXPECT_GT(InkedPixels(ti), 20);
    // A missing glyph is drawn as the same box for every character.
    EXPECT_NE(song, ti);
    EXPECT_NE(song, missing);
}
