#include "PaintManagerUI.h"
#include "TestCanvas.h"
#include "TestEnv.h"
#include "TestPng.h"
#include "UiClipScope.h"
#include "UiDynamicCalls.h"
#include "UiImageInfo.h"
#include "UiPaintScratch.h"
#include "UiRender.h"
#include "UiScaledCellCache.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace Orvel;

namespace {

constexpr DWORD kWhite = 0xFFFFFFFF;

struct ImageDeleter {
    void operator()(UiImageInfo* info) const { CUiRender::ReleaseImage(info, true); }
};
using ImagePtr = std::unique_ptr<UiImageInfo, ImageDeleter>;

ImagePtr Load(const wchar_t* name, DWORD mask = 0, const wchar_t* type = nullptr) {
    return ImagePtr(CUiRender::LoadImageData(name, type, mask, nullptr));
}

DWORD StoredPixel(const UiImageInfo& info, int x, int y) {
    DWORD value = 0;
    memcpy(&value, info.bits + (static_cast<size_t>(y) * info.width + x) * 4, sizeof(value));
    return value;
}

class RenderTest : public ::testing::Test {
protected:
    bool Paint(const wchar_t* image, const RECT& item, const wchar_t* modify = nullptr) {
        return CUiRender::PaintImageString(canvas.Dc(), &manager, item, canvas.Bounds(), image, modify);
    }

    CPaintManagerUI manager;
    TestCanvas canvas{120, 60, kWhite};
};

TEST_F(RenderTest, DecodedPixelsArePremultipliedAndTheMaskClearsExactMatches) {
    ASSERT_TRUE(testpng::Write(L"pm.png", 3, 1, {0x80FF6432, 0xFFFF00FF, 0xFF102030}));
    ImagePtr plain = Load(L"pm.png");
    ASSERT_TRUE(plain);
    EXPECT_EQ(3, plain->width);
    EXPECT_EQ(1, plain->height);
    EXPECT_TRUE(plain->hasAlpha);
    EXPECT_EQ(0x80803219u, StoredPixel(*plain, 0, 0));  // 255, 100, 50 at alpha 128, integer division
    EXPECT_EQ(0xFFFF00FFu, StoredPixel(*plain, 1, 0));

    ImagePtr masked = Load(L"pm.png", 0xFFFF00FF);
    ASSERT_TRUE(masked);
    EXPECT_EQ(0u, StoredPixel(*masked, 1, 0));
    EXPECT_EQ(0xFF102030u, StoredPixel(*masked, 2, 0));

    ASSERT_TRUE(testpng::Write(L"opaque.png", 2, 1, {0xFF336699, 0xFFFF00FF}));
    EXPECT_FALSE(Load(L"opaque.png")->hasAlpha);
    EXPECT_TRUE(Load(L"opaque.png", 0xFFFF00FF)->hasAlpha);
}

TEST_F(RenderTest, ResourceImagesLoadByNumericIdOnly) {
    ImagePtr quad = Load(MAKEINTRESOURCEW(122), 0, L"PNG");
    ASSERT_TRUE(quad);
    EXPECT_EQ(0xFFFF0000u, StoredPixel(*quad, 0, 0));
    EXPECT_EQ(0x80000080u, StoredPixel(*quad, 0, 1));
    EXPECT_EQ(0u, StoredPixel(*quad, 1, 1));

    EXPECT_TRUE(Paint(L"res='122' restype='png'", {0, 0, 20, 20}));
    EXPECT_TRUE(NearRgb(0xFF0000, canvas.Rgb(2, 2)));
    EXPECT_TRUE(NearRgb(0x00FF00, canvas.Rgb(17, 2)));

    canvas.Clear();
    EXPECT_FALSE(Paint(L"res='bk' restype='png'", {0, 0, 20, 20}));
    EXPECT_FALSE(Paint(L"res='123' restype='png'", {0, 0, 20, 20}));
    EXPECT_EQ(0, canvas.CountChanged(canvas.Bounds()));
}

TEST_F(RenderTest, UnreadableImagesDrawNothingAndOthersStillPaint) {
    const std::string valid = testpng::Encode(2, 2, std::vector<uint32_t>(4, 0xFF0000FF));
    const struct {
        const wchar_t* name;
        std::string bytes;
        bool write;
    } cases[] = {
        {L"missing.png", "", false},
        {L"empty.png", "", true},
        {L"truncated.png", valid.substr(0, valid.size() / 2), true},
        {L"text.png", "this is not an image", true},
        {L"zero.png", testpng::WithClaimedSize(valid, 0, 0), true},
        {L"wide.png", testpng::WithClaimedSize(valid, 16385, 1), true},
        {L"tall.png", testpng::WithClaimedSize(valid, 1, 20000), true},
    };
    for (const auto& item : cases) {
        if (item.write) {
            ASSERT_TRUE(testenv::WriteFileBytes(item.name, item.bytes));
        }
        EXPECT_FALSE(Load(item.name)) << item.name;
        EXPECT_FALSE(Paint(item.name, {0, 0, 40, 40})) << item.name;
    }
    EXPECT_EQ(0, canvas.CountChanged(canvas.Bounds()));
    ASSERT_TRUE(testenv::WriteFileBytes(L"valid.png", valid));
    EXPECT_TRUE(Paint(L"valid.png", {0, 0, 40, 40}));
    EXPECT_TRUE(NearRgb(0x0000FF, canvas.Rgb(20, 20)));
}

// A 9 x 9 image whose nine 3 x 3 cells each have a colour of their own.
constexpr DWORD kCells[3][3] = {
    {0xFF800000, 0xFF008000, 0xFF000080},
    {0xFF808000, 0xFFFF00FF, 0xFF008080},
    {0xFF400040, 0xFF004040, 0xFF404000},
};

void WriteNineGrid(const wchar_t* path) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 9; ++x) {
            pixels.push_back(kCells[y / 3][x / 3]);
        }
    }
    ASSERT_TRUE(testpng::Write(path, 9, 9, pixels));
}

TEST_F(RenderTest, NineGridKeepsCornersStretchesEdgesAndHonoursTheHole) {
    WriteNineGrid(L"nine.png");
    for (bool hole : {false, true}) {
        canvas.Clear();
        ASSERT_TRUE(Paint(hole ? L"file='nine.png' corner='3,3,3,3' hole='true'" : L"file='nine.png' corner='3,3,3,3'",
                          {10, 10, 40, 40}));
        // Probes per cell: (x, y) and the cell they must show.
        const struct {
            int x, y, row, column;
        } probes[] = {
            {10, 10, 0, 0}, {12, 12, 0, 0}, {13, 11, 0, 1}, {36, 11, 0, 1}, {37, 12, 0, 2}, {39, 10, 0, 2},
            {11, 13, 1, 0}, {11, 36, 1, 0}, {38, 25, 1, 2}, {12, 37, 2, 0}, {25, 38, 2, 1}, {39, 39, 2, 2},
        };
        for (const auto& probe : probes) {
            EXPECT_TRUE(NearRgb(kCells[probe.row][probe.column], canvas.Rgb(probe.x, probe.y)))
                << probe.x << "," << probe.y << " hole " << hole;
        }
        const DWORD centre = canvas.Rgb(25, 25);
        EXPECT_TRUE(hole ? centre == (kWhite & 0xFFFFFF) : NearRgb(kCells[1][1], centre)) << std::hex << centre;
        EXPECT_EQ(0, canvas.CountChanged({0, 0, 10, 60}));
        EXPECT_EQ(0, canvas.CountChanged({40, 0, 120, 60}));
    }
}

TEST_F(RenderTest, ScaledCellsAreCachedPerSizeAndDrawLikeADirectStretch) {
    for (uint32_t alpha : {0xFF000000u, 0x90000000u}) {
        std::vector<uint32_t> pixels;
        for (int i = 0; i < 12 * 12; ++i) {
            pixels.push_back(alpha | static_cast<uint32_t>((i % 12) * 20) << 16 | static_cast<uint32_t>((i / 12) * 20));
        }
        ASSERT_TRUE(testpng::Write(L"cells.png", 12, 12, pixels));
        manager.RemoveImage(L"cells.png");
        const RECT corners = {3, 3, 3, 3};
        for (const RECT& item : {RECT{5, 5, 75, 45}, RECT{5, 5, 75, 45}, RECT{5, 5, 95, 45}}) {
            canvas.Clear();
            ASSERT_TRUE(Paint(L"file='cells.png' corner='3,3,3,3'", item));
            const UiImageInfo* image = manager.FindImage(L"cells.png");
            ASSERT_NE(nullptr, image);
            TestCanvas direct(canvas.Width(), canvas.Height(), kWhite);
            CUiRender::PaintImage(direct.Dc(), image->bitmap, item, direct.Bounds(), {0, 0, 12, 12}, corners,
                                  image->hasAlpha, 255);
            int differing = 0;
            for (int y = 0; y < canvas.Height(); ++y) {
                for (int x = 0; x < canvas.Width(); ++x) {
                    differing += NearRgb(canvas.Pixel(x, y), direct.Pixel(x, y), 1) ? 0 : 1;
                }
            }
            EXPECT_EQ(0, differing) << std::hex << alpha << std::dec << " width " << item.right - item.left;
        }
        // The centre and the four edges at the first width; at a wider one
        // the centre, top and bottom replace theirs, and the left and right
        // are found again.
        EXPECT_EQ(5u, manager.ScaledCells().Count()) << std::hex << alpha;
    }
}

// A window being resized draws its stretched images at ever new widths.
TEST_F(RenderTest, StretchedImagesKeepTheirScaledCellsWithinTheWindowsBudget) {
    ASSERT_TRUE(testpng::WriteSolid(L"wide.png", 64, 64, 0xFF336699));
    const RECT everywhere = {0, 0, 4000, 4000};
    const CUiScaledCellCache& cells = manager.ScaledCells();
    for (int i = 0; i < 24; ++i) {
        const RECT item = {0, 0, 1900 + i, 64};
        ASSERT_TRUE(CUiRender::PaintImageString(canvas.Dc(), &manager, item, everywhere, L"wide.png"));
        EXPECT_EQ(static_cast<size_t>(1900 + i) * 64 * 4, cells.Bytes()) << "only the width drawn last stays";
    }
    for (int i = 0; i < 24; ++i) {
        const RECT item = {0, 100 + i, 1900 + i, 164 + i};
        ASSERT_TRUE(CUiRender::PaintImageString(canvas.Dc(), &manager, item, everywhere, L"wide.png"));
        EXPECT_LE(cells.Bytes(), cells.Budget()) << i;
    }
    EXPECT_GE(cells.Bytes(), cells.Budget() / 2);
    EXPECT_TRUE(NearRgb(0x336699, canvas.Rgb(50, 50)));
}

TEST_F(RenderTest, XTiledCentreRepeatsTheSourceAndCropsTheLastTile) {
    std::vector<uint32_t> columns;
    for (int row = 0; row < 2; ++row) {
        for (int x = 0; x < 30; ++x) {
            columns.push_back(0xFF000000 | (x * 8) << 16 | (255 - x * 8));
        }
    }
    ASSERT_TRUE(testpng::Write(L"tile.png", 30, 2, columns));
    ASSERT_TRUE(Paint(L"file='tile.png' xtiled='true'", {0, 0, 100, 10}));
    for (int x : {0, 7, 29, 30, 45, 89, 90, 95, 99}) {
        EXPECT_TRUE(NearRgb(columns[x % 30], canvas.Rgb(x, 5), 2)) << x;
    }
    EXPECT_EQ(0, canvas.CountChanged({100, 0, 120, 60}));
    EXPECT_EQ(0, canvas.CountChanged({0, 10, 100, 60}));
}

TEST_F(RenderTest, FadeAndImageAlphaBlendOverTheBackground) {
    ASSERT_TRUE(testpng::WriteSolid(L"red.png", 4, 4, 0xFFFF0000));
    ASSERT_TRUE(Paint(L"file='red.png' fade='128'", {0, 0, 20, 20}));
    EXPECT_TRUE(NearRgb(0xFF7F7F, canvas.Rgb(10, 10))) << std::hex << canvas.Rgb(10, 10);

    ASSERT_TRUE(testpng::WriteSolid(L"halfblue.png", 4, 4, 0x800000FF));
    ASSERT_TRUE(Paint(L"halfblue.png", {40, 0, 60, 20}));
    EXPECT_TRUE(NearRgb(0x7F7FFF, canvas.Rgb(50, 10))) << std::hex << canvas.Rgb(50, 10);
}

// Through a window's kept surfaces translucent fills and gradients look
// exactly as through surfaces made for each call.
TEST_F(RenderTest, TranslucentFillsThroughTheWindowsScratchMatchTheirOwnSurfaces) {
    const struct {
        DWORD first;
        DWORD second;  // 0: a plain fill
        RECT rect;
    } cases[] = {
        {0x80FF0000, 0, {10, 10, 60, 40}},
        {0xFF000000, 0, {0, 0, 30, 30}},
        {0x40102030, 0, {5, 5, 115, 55}},
        {0x80FF0000, 0xC00000FF, {10, 5, 110, 55}},
        {0x60FFFFFF, 0x20000000, {0, 0, 40, 60}},
        {0x80FF0000, 0x800000FF, {0, 0, 1000, 600}},  // beyond what the window keeps
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << test.first << " " << test.second);
        TestCanvas own(canvas.Width(), canvas.Height(), 0xFF808080);
        TestCanvas kept(canvas.Width(), canvas.Height(), 0xFF808080);
        for (CPaintManagerUI* through : {static_cast<CPaintManagerUI*>(nullptr), &manager}) {
            HDC dc = through != nullptr ? kept.Dc() : own.Dc();
            if (test.second == 0) {
                CUiRender::FillColor(dc, test.rect, test.first, through);
            } else {
                CUiRender::FillGradient(dc, test.rect, test.first, test.second, true, 16, through);
            }
        }
        GdiFlush();
        EXPECT_TRUE(kept.SamePixels(own));
        EXPECT_NE(0xFF808080u, kept.Pixel(test.rect.left + 2, test.rect.top + 2));
        EXPECT_LE(manager.PaintScratch().Bytes(), CUiPaintScratch::kMaxSurfaceBytes + 4);
    }
    EXPECT_GT(manager.PaintScratch().Bytes(), 4u) << "a gradient surface is kept";
}

TEST(UiRenderBlendTest, FallbackMatchesThePlatformBlend) {
    AlphaBlendProc alphaBlend = DynAlphaBlend();
    ASSERT_NE(nullptr, alphaBlend);
    const DWORD premultiplied[4] = {0x80000080, 0xFF00FF00, 0x00000000, 0x40402000};
    BYTE* bits = nullptr;
    HBITMAP bitmap = CUiRender::CreateArgbBitmap(nullptr, 4, -1, &bits);
    ASSERT_NE(nullptr, bits);
    memcpy(bits, premultiplied, sizeof(premultiplied));
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(source, bitmap);
    for (BYTE constant : {BYTE(255), BYTE(128)}) {
        TestCanvas platform(4, 1, kWhite);
        TestCanvas fallback(4, 1, kWhite);
        BLENDFUNCTION function = {AC_SRC_OVER, 0, constant, AC_SRC_ALPHA};
        alphaBlend(platform.Dc(), 0, 0, 4, 1, source, 0, 0, 4, 1, function);
        CUiRender::BlendFallback(fallback.Dc(), 0, 0, 4, 1, source, 0, 0, 4, 1, constant);
        for (int x = 0; x < 4; ++x) {
            EXPECT_TRUE(NearRgb(platform.Pixel(x, 0), fallback.Pixel(x, 0), 2))
                << "constant " << int(constant) << " x " << x << std::hex << " platform " << platform.Pixel(x, 0)
                << " fallback " << fallback.Pixel(x, 0);
        }
    }
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(bitmap);
}

TEST_F(RenderTest, GradientDrawsAtTheAverageAlpha) {
    CUiRender::FillGradient(canvas.Dc(), {0, 0, 40, 40}, 0x00000000, 0xFF000000, true, 16);
    for (int y : {0, 20, 39}) {
        EXPECT_TRUE(NearRgb(0x808080, canvas.Rgb(20, y), 2)) << y << std::hex << " " << canvas.Rgb(20, y);
    }
    CUiRender::FillGradient(canvas.Dc(), {50, 0, 60, 40}, 0xFFFF0000, 0xFF0000FF, true, 16);
    EXPECT_GT(RedOf(canvas.Pixel(55, 0)), 240);
    EXPECT_GT(BlueOf(canvas.Pixel(55, 39)), 240);
    CUiRender::FillGradient(canvas.Dc(), {70, 0, 80, 40}, 0x00FF0000, 0x000000FF, true, 16);
    EXPECT_EQ(0, canvas.CountChanged({70, 0, 80, 40}));
}

TEST(UiRenderFillTest, SolidFillsBlendAndCoverTheAlphaByte) {
    CPaintManagerUI manager;  // starts GDI+
    const struct {
        DWORD color;
        DWORD background;
        DWORD expected;  // colour channels
        int alpha;       // -1: not checked (GDI leaves it to the layered fix-up)
    } cases[] = {
        {0xFF336699, kWhite, 0x336699, -1},
        {0xFF000000, 0x00000000, 0x000000, 255},
        {0x80FF0000, kWhite, 0xFF7F7F, 255},
        {0x00FF0000, kWhite, 0xFFFFFF, 255},
    };
    for (const auto& item : cases) {
        TestCanvas canvas(8, 8, item.background);
        CUiRender::FillColor(canvas.Dc(), {2, 2, 6, 6}, item.color);
        EXPECT_TRUE(NearRgb(item.expected, canvas.Pixel(3, 3), 2)) << std::hex << item.color << " " << canvas.Pixel(3, 3);
        if (item.alpha >= 0) {
            EXPECT_EQ(item.alpha, AlphaOf(canvas.Pixel(3, 3))) << std::hex << item.color;
        }
        EXPECT_EQ(item.background, canvas.Pixel(1, 1));
        EXPECT_EQ(item.background, canvas.Pixel(6, 6));
    }
}

TEST_F(RenderTest, GradientBandsFollowTheStepCount) {
    const struct {
        int steps, bands;
    } cases[] = {{64, 64}, {16, 16}, {8, 8}, {4, 4}, {1, 2}};
    for (const auto& item : cases) {
        TestCanvas strip(1, 64, kWhite);
        CUiRender::FillGradientBands(strip.Dc(), {0, 0, 1, 64}, 0xFFFF0000, 0xFF0000FF, true, item.steps);
        int changes = 0;
        for (int y = 1; y < 64; ++y) {
            changes += strip.Rgb(0, y) != strip.Rgb(0, y - 1) ? 1 : 0;
        }
        EXPECT_EQ(item.bands - 1, changes) << item.steps;
        EXPECT_EQ(0x0000FFu, strip.Rgb(0, 63)) << item.steps;
        EXPECT_GT(RedOf(strip.Pixel(0, 0)), 120) << item.steps;
    }
}

TEST_F(RenderTest, DestRectangleIsOffsetAndClampedToTheItem) {
    ASSERT_TRUE(testpng::WriteSolid(L"red4.png", 4, 4, 0xFFFF0000));
    ASSERT_TRUE(Paint(L"file='red4.png' dest='10,5,200,200'", {0, 0, 50, 30}));
    const RECT bounds = canvas.ChangedBounds();
    EXPECT_EQ(10, bounds.left);
    EXPECT_EQ(5, bounds.top);
    EXPECT_EQ(50, bounds.right);
    EXPECT_EQ(30, bounds.bottom);
}

TEST_F(RenderTest, DisplayScaleVariantsAreChosenFromTheFileSystem) {
    ASSERT_TRUE(testpng::WriteSolid(L"var.png", 2, 2, 0xFFFF0000));
    ASSERT_TRUE(testpng::WriteSolid(L"var@125.png", 2, 2, 0xFF0000FF));
    ASSERT_TRUE(testpng::WriteSolid(L"var@150.png", 2, 2, 0xFF00FF00));
    ASSERT_TRUE(testpng::WriteSolid(L"var@200.png", 2, 2, 0xFF000000));
    const struct {
        int dpi;
        bool keep150;
        DWORD expected;
    } cases[] = {
        {96, true, 0xFF0000}, {144, true, 0x00FF00}, {144, false, 0x0000FF}, {120, false, 0x0000FF},
        {192, false, 0x000000},
    };
    for (const auto& item : cases) {
        if (!item.keep150) {
            DeleteFileW(L"var@150.png");
        }
        CPaintManagerUI scaled;
        scaled.DpiScale().SetDpi(item.dpi);
        canvas.Clear();
        ASSERT_TRUE(CUiRender::PaintImageString(canvas.Dc(), &scaled, {0, 0, 10, 10}, canvas.Bounds(), L"var.png"));
        EXPECT_EQ(item.expected, canvas.Rgb(5, 5)) << item.dpi << " keep150 " << item.keep150;
    }
}

TEST(UiRenderHslTest, AdjustsHueSaturationAndLightness) {
    const struct {
        DWORD color;
        short hue, saturation, lightness;
        DWORD expected;
    } cases[] = {
        {0xFFFF0000, 180, 100, 100, 0xFFFF0000}, {0x80FF0000, 300, 100, 100, 0x8000FF00},
        {0xFFFF0000, 180, 0, 100, 0xFF808080},   {0xFFFF0000, 180, 100, 50, 0xFF800000},
    };
    for (const auto& item : cases) {
        DWORD result = CUiRender::AdjustHsl(item.color, item.hue, item.saturation, item.lightness);
        EXPECT_TRUE(NearRgb(item.expected, result, 1) && AlphaOf(result) == AlphaOf(item.expected))
            << std::hex << item.color << " -> " << result;
    }
}

TEST(UiClipScopeTest, NestedScopesRestoreTheOuterClipExactly) {
    TestCanvas canvas(60, 60, kWhite);
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RECT all = canvas.Bounds();
    {
        UiClipScope outer;
        outer.ClipToRoundRect(canvas.Dc(), all, {0, 0, 59, 59}, 40, 40);
        {
            UiClipScope inner;
            inner.ClipToRect(canvas.Dc(), {10, 10, 30, 30});
            FillRect(canvas.Dc(), &all, black);
            EXPECT_EQ(400, canvas.CountChanged(all));
            inner.RestorePreviousClip();
            canvas.Clear();
            FillRect(canvas.Dc(), &all, black);
            EXPECT_EQ(0xFFFFFFu, canvas.Rgb(0, 0)) << "rounded corner lost";
            inner.ReapplyClip();
            canvas.Clear();
            FillRect(canvas.Dc(), &all, black);
            EXPECT_EQ(400, canvas.CountChanged(all));
        }
        canvas.Clear();
        FillRect(canvas.Dc(), &all, black);
        EXPECT_EQ(0xFFFFFFu, canvas.Rgb(0, 0));
        EXPECT_EQ(0u, canvas.Rgb(30, 30));
    }
    canvas.Clear();
    FillRect(canvas.Dc(), &all, black);
    EXPECT_EQ(3600, canvas.CountChanged(all));
}

}  // namespace
