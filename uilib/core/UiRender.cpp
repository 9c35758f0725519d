#include "UiRender.h"

#include "ControlUI.h"
#include "PaintManagerUI.h"
#include "UiDrawInfo.h"
#include "UiDynamicCalls.h"
#include "UiFileReader.h"
#include "UiGdiPlus.h"
#include "UiImageDecoder.h"
#include "UiImageInfo.h"
#include "UiPaintScratch.h"
#include "UiScaledCellCache.h"
#include "UiScopedHandles.h"
#include "UiTextRegistry.h"
#include "UiValueParser.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <vector>

namespace Orvel {

using namespace Gdiplus::DllExports;

namespace {

// No skin image comes near this; it keeps a stray huge file out of memory.
constexpr size_t kMaxImageFileBytes = 64u << 20;

bool ReadResourceBytes(const wchar_t* name, const wchar_t* type, HINSTANCE module,
                       std::vector<unsigned char>& bytes) {
    HINSTANCE owner = module != nullptr ? module : CPaintManagerUI::ResourceInstance();
    HRSRC resource = FindResourceW(owner, name, type);
    if (resource == nullptr) {
        return false;
    }
    HGLOBAL loaded = LoadResource(owner, resource);
    DWORD size = SizeofResource(owner, resource);
    const auto* data = static_cast<const unsigned char*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    if (data == nullptr || size == 0) {
        return false;
    }
    bytes.assign(data, data + size);
    return true;
}

void ReadImageFileBytes(const wchar_t* name, std::vector<unsigned char>& bytes) {
    const wchar_t* mapped = CUiTextRegistry::Instance().SkinFile(name);
    ReadSkinFile(mapped != nullptr ? mapped : name, kMaxImageFileBytes, bytes);
}

// RGBA rows to premultiplied BGRA; true when any pixel is not opaque or was
// masked out.
bool PremultiplyInto(const unsigned char* rgba, size_t pixelCount, DWORD mask, BYTE* bgra) {
    bool hasAlpha = false;
    for (size_t i = 0; i < pixelCount; ++i, rgba += 4, bgra += 4) {
        unsigned int alpha = rgba[3];
        unsigned int red = rgba[0];
        unsigned int green = rgba[1];
        unsigned int blue = rgba[2];
        if (alpha != 255) {
            red = red * alpha / 255;
            green = green * alpha / 255;
            blue = blue * alpha / 255;
            hasAlpha = true;
        }
        DWORD value = (alpha << 24) | (red << 16) | (green << 8) | blue;
        if (mask != 0 && value == mask) {
            value = 0;
            hasAlpha = true;
        }
        memcpy(bgra, &value, sizeof(value));
    }
    return hasAlpha;
}

bool IsEmptyRect(const RECT& rect) {
    return rect.left == 0 && rect.top == 0 && rect.right == 0 && rect.bottom == 0;
}

bool Intersects(const RECT& a, const RECT& b) {
    RECT overlap;
    return IntersectRect(&overlap, &a, &b) != FALSE;
}

// Draws cells of one bitmap onto a target, opaque or blended. Cells copied
// at their own size are plain copies; scaled cells go through the image's
// cache when there is one, so each is stretched once per size.
class CellBlitter {
public:
    // `cellDC` (may be null) is a memory context kept by the caller for cached cells.
    CellBlitter(HDC target, HDC source, const RECT& paintRect, bool blend, BYTE fade, const UiImageBlit& blit)
        : target_(target), source_(source), paint_(paintRect), blend_(blend), fade_(fade),
          alphaBlend_(DynAlphaBlend()), cache_(blit.image != nullptr ? blit.cache : nullptr), image_(blit.image),
          cacheDC_(blit.cellDC), ownsCacheDC_(false) {
        if (cacheDC_ != nullptr) {
            cachePrevious_ = GetCurrentObject(cacheDC_, OBJ_BITMAP);
        }
    }
    ~CellBlitter() {
        if (cacheDC_ != nullptr) {
            SelectObject(cacheDC_, cachePrevious_);
            if (ownsCacheDC_) {
                DeleteDC(cacheDC_);
            }
        }
    }
    CellBlitter(const CellBlitter&) = delete;
    CellBlitter& operator=(const CellBlitter&) = delete;

    // Skips cells of no size and cells outside the paint rectangle.
    void Draw(int x, int y, int width, int height, int sourceX, int sourceY, int sourceWidth, int sourceHeight) {
        if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) {
            return;
        }
        RECT cell = {x, y, x + width, y + height};
        if (!Intersects(cell, paint_)) {
            return;
        }
        if (width != sourceWidth || height != sourceHeight) {
            if (HDC scaled = ScaledCell(x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight)) {
                Copy(x, y, width, height, scaled, 0, 0, width, height);
                return;
            }
        }
        Copy(x, y, width, height, source_, sourceX, sourceY, sourceWidth, sourceHeight);
    }

private:
    void Copy(int x, int y, int width, int height, HDC source, int sourceX, int sourceY, int sourceWidth,
              int sourceHeight) {
        if (blend_) {
            if (alphaBlend_ != nullptr) {
                BLENDFUNCTION function = {AC_SRC_OVER, 0, fade_, AC_SRC_ALPHA};
                alphaBlend_(target_, x, y, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight,
                            function);
            } else {
                CUiRender::BlendFallback(target_, x, y, width, height, source, sourceX, sourceY, sourceWidth,
                                         sourceHeight, fade_);
            }
        } else if (width == sourceWidth && height == sourceHeight) {
            BitBlt(target_, x, y, width, height, source, sourceX, sourceY, SRCCOPY);
        } else {
            StretchBlt(target_, x, y, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight, SRCCOPY);
        }
    }

    // A memory context holding the cell at the destination size, from the
    // cache or scaled now; null when there is no cache to keep it in.
    HDC ScaledCell(int x, int y, int width, int height, int sourceX, int sourceY, int sourceWidth,
                   int sourceHeight) {
        if (cache_ == nullptr || (blend_ && alphaBlend_ == nullptr)) {
            return nullptr;
        }
        const UiScaledCell cell = {{sourceX, sourceY, sourceX + sourceWidth, sourceY + sourceHeight}, width, height,
                                   blend_};
        HBITMAP bitmap = cache_->Find(*image_, cell);
        if (bitmap == nullptr && !cache_->Admits(width, height)) {
            return nullptr;
        }
        if (cacheDC_ == nullptr) {
            cacheDC_ = CreateCompatibleDC(target_);
            if (cacheDC_ == nullptr) {
                return nullptr;
            }
            ownsCacheDC_ = true;
            cachePrevious_ = GetCurrentObject(cacheDC_, OBJ_BITMAP);
        }
        if (bitmap == nullptr) {
            bitmap = CUiRender::CreateArgbBitmap(target_, width, -height, nullptr);
            if (bitmap == nullptr) {
                return nullptr;
            }
            SelectObject(cacheDC_, bitmap);
            if (blend_) {
                // Over transparent black the blend leaves the scaled, premultiplied source.
                BLENDFUNCTION function = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
                alphaBlend_(cacheDC_, 0, 0, width, height, source_, sourceX, sourceY, sourceWidth, sourceHeight,
                            function);
            } else {
                SetStretchBltMode(cacheDC_, HALFTONE);
                SetBrushOrgEx(cacheDC_, 0, 0, nullptr);
                StretchBlt(cacheDC_, 0, 0, width, height, source_, sourceX, sourceY, sourceWidth, sourceHeight,
                           SRCCOPY);
            }
            // The cache may evict or, failing, delete bitmaps: none may be selected.
            SelectObject(cacheDC_, cachePrevious_);
            if (!cache_->Add(*image_, cell, POINT{x, y}, bitmap)) {
                return nullptr;
            }
        }
        SelectObject(cacheDC_, bitmap);
        return cacheDC_;
    }

    HDC target_;  // not owned
    HDC source_;  // not owned
    RECT paint_;
    bool blend_;
    BYTE fade_;
    AlphaBlendProc alphaBlend_;
    CUiScaledCellCache* cache_;        // not owned; null without an image
    const UiImageInfo* image_;         // not owned
    HDC cacheDC_;                      // owned when ownsCacheDC_
    bool ownsCacheDC_;
    HGDIOBJ cachePrevious_ = nullptr;  // not owned
};

void DrawCentre(CellBlitter& blitter, const RECT& dest, const RECT& source, bool xTiled, bool yTiled) {
    const int width = dest.right - dest.left;
    const int height = dest.bottom - dest.top;
    const int sourceWidth = source.right - source.left;
    const int sourceHeight = source.bottom - source.top;
    if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) {
        return;
    }
    if (!xTiled && !yTiled) {
        blitter.Draw(dest.left, dest.top, width, height, source.left, source.top, sourceWidth, sourceHeight);
        return;
    }
    // Tiles are copied from the top-left of the source centre; the last one
    // in a row or column is cropped, never squeezed.
    const int tileWidth = xTiled ? sourceWidth : width;
    const int tileHeight = yTiled ? sourceHeight : height;
    for (int y = dest.top; y < dest.bottom; y += tileHeight) {
        const int rows = std::min(tileHeight, static_cast<int>(dest.bottom) - y);
        for (int x = dest.left; x < dest.right; x += tileWidth) {
            const int columns = std::min(tileWidth, static_cast<int>(dest.right) - x);
            blitter.Draw(x, y, columns, rows, source.left, source.top, xTiled ? columns : sourceWidth,
                         yTiled ? rows : sourceHeight);
        }
    }
}

}  // namespace

UiImageInfo* CUiRender::LoadImageData(const wchar_t* name, const wchar_t* type, DWORD mask, HINSTANCE module) {
    if (name == nullptr) {
        return nullptr;
    }
    std::vector<unsigned char> bytes;
    try {
        if (type != nullptr && *type != L'\0') {
            ReadResourceBytes(name, type, module, bytes);
        } else {
            ReadImageFileBytes(name, bytes);
        }
    } catch (const std::exception&) {
        return nullptr;
    }
    if (bytes.empty()) {
        return nullptr;
    }
    UiDecodedImage decoded;
    bool decodedOk = DecodeImage(bytes.data(), bytes.size(), decoded);
    std::vector<unsigned char>().swap(bytes);
    if (!decodedOk) {
        return nullptr;
    }
    BYTE* bits = nullptr;
    HBITMAP bitmap = CreateArgbBitmap(nullptr, decoded.width, -decoded.height, &bits);
    if (bitmap == nullptr || bits == nullptr) {
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
        return nullptr;
    }
    auto* info = new UiImageInfo();
    info->bitmap = bitmap;
    info->bits = bits;
    info->width = decoded.width;
    info->height = decoded.height;
    info->hasAlpha = PremultiplyInto(decoded.rgba.get(),
                                     static_cast<size_t>(decoded.width) * static_cast<size_t>(decoded.height), mask,
                                     bits);
    return info;
}

void CUiRender::ReleaseImage(UiImageInfo* info, bool deleteRecord) {
    if (info == nullptr) {
        return;
    }
    if (info->bitmap != nullptr) {
        DeleteObject(info->bitmap);
    }
    info->pixelsId = std::make_shared<const char>();
    info->bitmap = nullptr;
    info->bits = nullptr;
    std::vector<BYTE>().swap(info->savedBits);
    if (deleteRecord) {
        delete info;
    }
}

bool CUiRender::PaintImageString(HDC dc, CPaintManagerUI* manager, const RECT& itemRect, const RECT& paintRect,
                                 const wchar_t* image, const wchar_t* modify, HINSTANCE module) {
    if (dc == nullptr || manager == nullptr) {
        return false;
    }
    const UiDrawInfo* info = manager->LookupDrawInfo(image, modify);
    return info != nullptr && PaintImageInfo(dc, manager, itemRect, paintRect, info, module);
}

bool CUiRender::PaintImageInfo(HDC dc, CPaintManagerUI* manager, const RECT& itemRect, const RECT& paintRect,
                               const UiDrawInfo* info, HINSTANCE module) {
    if (dc == nullptr || manager == nullptr || info == nullptr || info->name.IsEmpty()) {
        return false;
    }
    RECT dest = itemRect;
    if (!IsEmptyRect(info->dest)) {
        dest.left = itemRect.left + info->dest.left;
        dest.top = itemRect.top + info->dest.top;
        dest.right = std::min(itemRect.left + info->dest.right, itemRect.right);
        dest.bottom = std::min(itemRect.top + info->dest.bottom, itemRect.bottom);
    }
    const wchar_t* type = info->resourceType.IsEmpty() ? nullptr : info->resourceType.Data();
    const UiImageInfo* image = manager->FindOrLoadImage(info->name, type, info->mask, false, module);
    if (image == nullptr || image->bitmap == nullptr) {
        return false;
    }
    RECT source = info->source;
    if (IsEmptyRect(source)) {
        source = {0, 0, image->width, image->height};
    }
    source.left = std::max(source.left, 0L);
    source.top = std::max(source.top, 0L);
    source.right = std::min(source.right, static_cast<LONG>(image->width));
    source.bottom = std::min(source.bottom, static_cast<LONG>(image->height));
    // A source rectangle that lies outside the image leaves nothing to draw.
    if (source.right <= source.left || source.bottom <= source.top) {
        return false;
    }
    if (!Intersects(dest, itemRect) || !Intersects(dest, paintRect)) {
        return true;
    }
    bool useAlpha = manager->IsLayered() || image->hasAlpha;
    UiImageBlit blit = manager->ImageBlitContexts();
    blit.image = image;
    PaintImageCells(dc, image->bitmap, blit, dest, paintRect, source, info->corners, useAlpha, info->fade,
                    info->hole, info->xTiled, info->yTiled);
    return true;
}

void CUiRender::PaintImage(HDC dc, HBITMAP bitmap, const RECT& dest, const RECT& paintRect, const RECT& source,
                           const RECT& corners, bool useAlpha, BYTE fade, bool hole, bool xTiled, bool yTiled) {
    PaintImageCells(dc, bitmap, UiImageBlit(), dest, paintRect, source, corners, useAlpha, fade, hole, xTiled,
                    yTiled);
}

void CUiRender::PaintImageCells(HDC dc, HBITMAP bitmap, const UiImageBlit& blit, const RECT& dest,
                                const RECT& paintRect, const RECT& source, const RECT& corners, bool useAlpha,
                                BYTE fade, bool hole, bool xTiled, bool yTiled) {
    if (dc == nullptr || bitmap == nullptr) {
        return;
    }
    // Creating a memory context costs about as much as a whole blit of a
    // skin image under Wine; a window keeps one for this.
    if (blit.imageDC == nullptr) {
        ScopedMemoryDC own(dc);
        if (own.Get() != nullptr) {
            UiImageBlit withContext = blit;
            withContext.imageDC = own.Get();
            PaintImageCells(dc, bitmap, withContext, dest, paintRect, source, corners, useAlpha, fade, hole, xTiled,
                            yTiled);
        }
        return;
    }
    HDC memory = blit.imageDC;
    ScopedSelectObject select(memory, bitmap);
    SetStretchBltMode(dc, HALFTONE);
    CellBlitter blitter(dc, memory, paintRect, useAlpha || fade != 255, fade, blit);

    const int l = corners.left;
    const int t = corners.top;
    const int r = corners.right;
    const int b = corners.bottom;
    const RECT& d = dest;
    const RECT& s = source;
    const int middleWidth = (d.right - d.left) - l - r;
    const int middleHeight = (d.bottom - d.top) - t - b;
    const int sourceMiddleWidth = (s.right - s.left) - l - r;
    const int sourceMiddleHeight = (s.bottom - s.top) - t - b;

    if (!hole) {
        RECT centre = {d.left + l, d.top + t, d.right - r, d.bottom - b};
        RECT sourceCentre = {s.left + l, s.top + t, s.right - r, s.bottom - b};
        if (Intersects(centre, paintRect)) {
            DrawCentre(blitter, centre, sourceCentre, xTiled, yTiled);
        }
    }
    blitter.Draw(d.left, d.top, l, t, s.left, s.top, l, t);
    blitter.Draw(d.left + l, d.top, middleWidth, t, s.left + l, s.top, sourceMiddleWidth, t);
    blitter.Draw(d.right - r, d.top, r, t, s.right - r, s.top, r, t);
    blitter.Draw(d.left, d.top + t, l, middleHeight, s.left, s.top + t, l, sourceMiddleHeight);
    blitter.Draw(d.right - r, d.top + t, r, middleHeight, s.right - r, s.top + t, r, sourceMiddleHeight);
    blitter.Draw(d.left, d.bottom - b, l, b, s.left, s.bottom - b, l, b);
    blitter.Draw(d.left + l, d.bottom - b, middleWidth, b, s.left + l, s.bottom - b, sourceMiddleWidth, b);
    blitter.Draw(d.right - r, d.bottom - b, r, b, s.right - r, s.bottom - b, r, b);
}

void CUiRender::BlendFallback(HDC dc, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                              int sourceWidth, int sourceHeight, BYTE constantAlpha) {
    if (dc == nullptr || source == nullptr || width <= 0 || height <= 0) {
        return;
    }
    BYTE* sourceBits = nullptr;
    BYTE* targetBits = nullptr;
    ScopedGdiObject<HBITMAP> sourceCopy(CreateArgbBitmap(dc, width, -height, &sourceBits));
    ScopedGdiObject<HBITMAP> targetCopy(CreateArgbBitmap(dc, width, -height, &targetBits));
    if (!sourceCopy || !targetCopy || sourceBits == nullptr || targetBits == nullptr) {
        return;
    }
    ScopedMemoryDC sourceDC(dc);
    ScopedMemoryDC targetDC(dc);
    ScopedSelectObject selectSource(sourceDC.Get(), sourceCopy.Get());
    ScopedSelectObject selectTarget(targetDC.Get(), targetCopy.Get());
    SetStretchBltMode(sourceDC.Get(), COLORONCOLOR);
    StretchBlt(sourceDC.Get(), 0, 0, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight, SRCCOPY);
    BitBlt(targetDC.Get(), 0, 0, width, height, dc, x, y, SRCCOPY);
    GdiFlush();
    // The source is premultiplied, as for the platform's blend: its colour
    // takes only the constant alpha, the target keeps 1 - effective alpha.
    const double constant = constantAlpha / 255.0;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i) {
        BYTE* from = sourceBits + i * 4;
        BYTE* to = targetBits + i * 4;
        const double alpha = std::max(0.0, from[3] * constant / 255.0);
        for (int channel = 0; channel < 4; ++channel) {
            double value = from[channel] * constant + to[channel] * (1.0 - alpha);
            to[channel] = static_cast<BYTE>(std::min(255.0, value + 0.5));
        }
    }
    BitBlt(dc, x, y, width, height, targetDC.Get(), 0, 0, SRCCOPY);
}

namespace {

CUiPaintScratch* ScratchOf(CPaintManagerUI* manager) {
    return manager != nullptr ? &manager->PaintScratch() : nullptr;
}

// Blends one premultiplied pixel stretched over the rectangle: the same
// source-over result as a GDI+ fill, alpha byte included, at GDI speed.
bool BlendSolid(HDC dc, const RECT& rect, DWORD argb, CUiPaintScratch* scratch) {
    AlphaBlendProc alphaBlend = DynAlphaBlend();
    if (alphaBlend == nullptr) {
        return false;
    }
    const DWORD alpha = argb >> 24;
    const DWORD premultiplied = (alpha << 24) | ((((argb >> 16) & 0xFF) * alpha / 255) << 16) |
                                ((((argb >> 8) & 0xFF) * alpha / 255) << 8) | ((argb & 0xFF) * alpha / 255);
    BLENDFUNCTION function = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (HDC kept = scratch != nullptr ? scratch->SolidPixel(premultiplied) : nullptr) {
        return alphaBlend(dc, rect.left, rect.top, width, height, kept, 0, 0, 1, 1, function) != FALSE;
    }
    BYTE* bits = nullptr;
    ScopedGdiObject<HBITMAP> pixel(CUiRender::CreateArgbBitmap(dc, 1, -1, &bits));
    ScopedMemoryDC source(dc);
    if (!pixel || bits == nullptr || source.Get() == nullptr) {
        return false;
    }
    memcpy(bits, &premultiplied, sizeof(premultiplied));
    ScopedSelectObject select(source.Get(), pixel.Get());
    return alphaBlend(dc, rect.left, rect.top, width, height, source.Get(), 0, 0, 1, 1, function) != FALSE;
}

}  // namespace

void CUiRender::FillColor(HDC dc, const RECT& rect, DWORD argb, CPaintManagerUI* manager) {
    if (dc == nullptr || (argb >> 24) == 0 || rect.right <= rect.left || rect.bottom <= rect.top) {
        return;
    }
    // GDI+ fills an off-screen bitmap two orders of magnitude slower than
    // GDI. An opaque colour through GDI differs only in the alpha byte,
    // which a layered window restores for every pixel but black ones; so
    // black and translucent colours are blended, alpha included.
    if ((argb >> 24) == 0xFF && (argb & 0x00FFFFFF) != 0) {
        ScopedGdiObject<HBRUSH> brush(::CreateSolidBrush(ToColorRef(argb)));
        FillRect(dc, &rect, brush.Get());
        return;
    }
    if (BlendSolid(dc, rect, argb, ScratchOf(manager))) {
        return;
    }
    ScopedGpGraphics graphics;
    ScopedGpBrush brush;
    if (!CreateGpGraphics(dc, graphics) || CreateGpSolidBrush(argb, brush) == nullptr) {
        return;
    }
    GdipFillRectangleI(graphics.Get(), brush.Get(), rect.left, rect.top, rect.right - rect.left,
                       rect.bottom - rect.top);
}

namespace {

void DrawGradient(HDC dc, const RECT& area, DWORD first, DWORD second, bool vertical, int steps) {
    GradientFillProc gradientFill = DynGradientFill();
    if (gradientFill == nullptr) {
        CUiRender::FillGradientBands(dc, area, first, second, vertical, steps);
        return;
    }
    auto channel = [](DWORD argb, int shift) { return static_cast<COLOR16>(((argb >> shift) & 0xFF) << 8); };
    TRIVERTEX vertices[2] = {
        {area.left, area.top, channel(first, 16), channel(first, 8), channel(first, 0), 0xFF00},
        {area.right, area.bottom, channel(second, 16), channel(second, 8), channel(second, 0), 0xFF00},
    };
    GRADIENT_RECT mesh = {0, 1};
    gradientFill(dc, vertices, 2, &mesh, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

// Blends a whole opaque bitmap (no per-pixel alpha) at a constant alpha.
void BlendConstant(HDC dc, const RECT& rect, HDC source, BYTE alpha) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (AlphaBlendProc alphaBlend = DynAlphaBlend()) {
        BLENDFUNCTION function = {AC_SRC_OVER, 0, alpha, 0};
        alphaBlend(dc, rect.left, rect.top, width, height, source, 0, 0, width, height, function);
        return;
    }
    // The fallback reads per-pixel alpha, which GDI left at 0: make it opaque.
    BYTE* bits = nullptr;
    ScopedGdiObject<HBITMAP> opaque(CUiRender::CreateArgbBitmap(dc, width, -height, &bits));
    ScopedMemoryDC opaqueDC(dc);
    if (!opaque || bits == nullptr || opaqueDC.Get() == nullptr) {
        return;
    }
    ScopedSelectObject select(opaqueDC.Get(), opaque.Get());
    BitBlt(opaqueDC.Get(), 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
    for (size_t i = 0; i < static_cast<size_t>(width) * static_cast<size_t>(height); ++i) {
        bits[i * 4 + 3] = 255;
    }
    CUiRender::BlendFallback(dc, rect.left, rect.top, width, height, opaqueDC.Get(), 0, 0, width, height, alpha);
}

}  // namespace

void CUiRender::FillGradient(HDC dc, const RECT& rect, DWORD first, DWORD second, bool vertical, int steps,
                             CPaintManagerUI* manager) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const BYTE alpha = static_cast<BYTE>(((first >> 24) + (second >> 24)) / 2);
    if (dc == nullptr || alpha == 0 || width <= 0 || height <= 0) {
        return;
    }
    if (alpha == 255) {
        DrawGradient(dc, rect, first, second, vertical, steps);
        return;
    }
    const RECT surfaceArea = {0, 0, width, height};
    CUiPaintScratch* scratch = ScratchOf(manager);
    if (HDC kept = scratch != nullptr ? scratch->Surface(width, height) : nullptr) {
        DrawGradient(kept, surfaceArea, first, second, vertical, steps);
        BlendConstant(dc, rect, kept, alpha);
        return;
    }
    ScopedMemoryDC offscreen(dc);
    ScopedGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, width, height));
    if (offscreen.Get() == nullptr || !bitmap) {
        return;
    }
    ScopedSelectObject select(offscreen.Get(), bitmap.Get());
    DrawGradient(offscreen.Get(), surfaceArea, first, second, vertical, steps);
    BlendConstant(dc, rect, offscreen.Get(), alpha);
}

void CUiRender::FillGradientBands(HDC dc, const RECT& rect, DWORD first, DWORD second, bool vertical, int steps) {
    if (dc == nullptr) {
        return;
    }
    const int shift = steps >= 64 ? 6 : steps >= 32 ? 5 : steps >= 16 ? 4 : steps > 7 ? 3 : steps > 3 ? 2 : 1;
    const int bands = 1 << shift;
    const int extent = vertical ? rect.bottom - rect.top : rect.right - rect.left;
    auto mix = [&](int channelShift, int band) {
        int farValue = (second >> channelShift) & 0xFF;
        int nearValue = (first >> channelShift) & 0xFF;
        return (farValue * (bands - band) + nearValue * band) >> shift;
    };
    // Bands are laid out from the far edge, which shows the second colour.
    for (int band = 0; band < bands; ++band) {
        RECT strip = rect;
        if (vertical) {
            strip.top = rect.bottom - (((band + 1) * extent) >> shift);
            strip.bottom = rect.bottom - ((band * extent) >> shift);
        } else {
            strip.left = rect.right - (((band + 1) * extent) >> shift);
            strip.right = rect.right - ((band * extent) >> shift);
        }
        if (strip.left >= strip.right || strip.top >= strip.bottom) {
            continue;
        }
        ScopedGdiObject<HBRUSH> brush(::CreateSolidBrush(RGB(mix(16, band), mix(8, band), mix(0, band))));
        FillRect(dc, &strip, brush.Get());
    }
}

void CUiRender::StrokeLine(HDC dc, const RECT& rect, int width, DWORD argb, int penStyle) {
    if (dc == nullptr) {
        return;
    }
    ScopedGdiObject<HPEN> pen(CreatePen(penStyle, width, ToColorRef(argb)));
    ScopedSelectObject select(dc, pen.Get());
    POINT previous = {};
    MoveToEx(dc, rect.left, rect.top, &previous);
    LineTo(dc, rect.right, rect.bottom);
    MoveToEx(dc, previous.x, previous.y, nullptr);
}

void CUiRender::StrokeRect(HDC dc, const RECT& rect, int width, DWORD argb) {
    if (dc == nullptr || width <= 0) {
        return;
    }
    // An inset outline of an opaque colour is four bands; see FillColor for
    // why GDI may draw them.
    if ((argb >> 24) == 0xFF && (argb & 0x00FFFFFF) != 0) {
        const RECT bands[4] = {
            {rect.left, rect.top, rect.right, std::min(rect.top + width, rect.bottom)},
            {rect.left, std::max(rect.bottom - width, rect.top), rect.right, rect.bottom},
            {rect.left, rect.top, std::min(rect.left + width, rect.right), rect.bottom},
            {std::max(rect.right - width, rect.left), rect.top, rect.right, rect.bottom},
        };
        ScopedGdiObject<HBRUSH> brush(::CreateSolidBrush(ToColorRef(argb)));
        for (const RECT& band : bands) {
            FillRect(dc, &band, brush.Get());
        }
        return;
    }
    ScopedGpGraphics graphics;
    ScopedGpPen pen;
    if (!CreateGpGraphics(dc, graphics) ||
        GdipCreatePen1(argb, static_cast<Gdiplus::REAL>(width), Gdiplus::UnitWorld, pen.Receive()) != Gdiplus::Ok) {
        return;
    }
    GdipSetPenMode(pen.Get(), Gdiplus::PenAlignmentInset);
    GdipDrawRectangleI(graphics.Get(), pen.Get(), rect.left, rect.top, rect.right - rect.left - 1,
                       rect.bottom - rect.top - 1);
}

void CUiRender::StrokeRoundRect(HDC dc, const RECT& rect, int width, int ellipseWidth, int ellipseHeight,
                                DWORD argb, int penStyle) {
    if (dc == nullptr) {
        return;
    }
    ScopedGdiObject<HPEN> pen(CreatePen(penStyle, width, ToColorRef(argb)));
    ScopedSelectObject selectPen(dc, pen.Get());
    ScopedSelectObject selectBrush(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, ellipseWidth, ellipseHeight);
}

HBITMAP CUiRender::RenderControlBitmap(CPaintManagerUI* manager, CControlUI* control, const RECT& rect) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (manager == nullptr || control == nullptr || width <= 0 || height <= 0 || rect.right <= 0 ||
        rect.bottom <= 0) {
        return nullptr;
    }
    ScopedGetDC screen(nullptr);
    HDC reference = manager->PaintDC() != nullptr ? manager->PaintDC() : screen.Get();
    ScopedMemoryDC canvas(reference);
    ScopedGdiObject<HBITMAP> whole(CreateCompatibleBitmap(reference, rect.right, rect.bottom));
    if (canvas.Get() == nullptr || !whole) {
        return nullptr;
    }
    ScopedSelectObject selectWhole(canvas.Get(), whole.Get());
    control->Paint(canvas.Get(), rect);

    BYTE* bits = nullptr;
    ScopedGdiObject<HBITMAP> result(CreateArgbBitmap(reference, width, -height, &bits));
    ScopedMemoryDC copy(reference);
    if (!result || copy.Get() == nullptr) {
        return nullptr;
    }
    {
        ScopedSelectObject selectResult(copy.Get(), result.Get());
        BitBlt(copy.Get(), 0, 0, width, height, canvas.Get(), rect.left, rect.top, SRCCOPY);
    }
    return result.Release();
}

HBITMAP CUiRender::CreateArgbBitmap(HDC dc, int width, int height, BYTE** bits) {
    if (bits != nullptr) {
        *bits = nullptr;
    }
    if (width <= 0 || height == 0) {
        return nullptr;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (bits != nullptr) {
        *bits = static_cast<BYTE*>(pixels);
    }
    return bitmap;
}

namespace {

double HueToChannel(double p, double q, double t) {
    if (t < 0) {
        t += 1;
    }
    if (t > 1) {
        t -= 1;
    }
    if (t < 1.0 / 6) {
        return p + (q - p) * 6 * t;
    }
    if (t < 0.5) {
        return q;
    }
    if (t < 2.0 / 3) {
        return p + (q - p) * (2.0 / 3 - t) * 6;
    }
    return p;
}

BYTE ToByte(double value) {
    double scaled = value * 255.0 + 0.5;
    return static_cast<BYTE>(scaled < 0 ? 0 : (scaled > 255 ? 255 : scaled));
}

// One pixel in 0xAARRGGBB layout; alpha passes through.
DWORD AdjustPixel(DWORD argb, short hue, short saturation, short lightness) {
    const double red = ((argb >> 16) & 0xFF) / 255.0;
    const double green = ((argb >> 8) & 0xFF) / 255.0;
    const double blue = (argb & 0xFF) / 255.0;
    const double high = std::max(red, std::max(green, blue));
    const double low = std::min(red, std::min(green, blue));
    double h = 0;
    double s = 0;
    double l = (high + low) / 2;
    if (high != low) {
        const double delta = high - low;
        s = l > 0.5 ? delta / (2 - high - low) : delta / (high + low);
        if (high == red) {
            h = (green - blue) / delta + (green < blue ? 6 : 0);
        } else if (high == green) {
            h = (blue - red) / delta + 2;
        } else {
            h = (red - green) / delta + 4;
        }
        h *= 60;
    }
    h += hue - 180;
    if (h <= 0) {
        h += 360;
    }
    h = std::fmod(h, 360.0);
    s = std::min(1.0, s * saturation / 100.0);
    l = l * lightness / 100.0;
    double r2 = l;
    double g2 = l;
    double b2 = l;
    if (s > 0) {
        const double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
        const double p = 2 * l - q;
        r2 = HueToChannel(p, q, h / 360 + 1.0 / 3);
        g2 = HueToChannel(p, q, h / 360);
        b2 = HueToChannel(p, q, h / 360 - 1.0 / 3);
    }
    return (argb & 0xFF000000) | (static_cast<DWORD>(ToByte(r2)) << 16) | (static_cast<DWORD>(ToByte(g2)) << 8) |
           ToByte(b2);
}

}  // namespace

void CUiRender::ApplyHsl(bool enabled, UiImageInfo* info, short hue, short saturation, short lightness) {
    if (info == nullptr || info->bits == nullptr || info->savedBits.empty()) {
        return;
    }
    const size_t bytes = std::min(info->savedBits.size(), static_cast<size_t>(info->width) * info->height * 4);
    info->pixelsId = std::make_shared<const char>();
    if (!enabled || (hue == 180 && saturation == 100 && lightness == 100)) {
        memcpy(info->bits, info->savedBits.data(), bytes);
        return;
    }
    for (size_t i = 0; i + 4 <= bytes; i += 4) {
        DWORD pixel;
        memcpy(&pixel, info->savedBits.data() + i, sizeof(pixel));
        pixel = AdjustPixel(pixel, hue, saturation, lightness);
        memcpy(info->bits + i, &pixel, sizeof(pixel));
    }
}

DWORD CUiRender::AdjustHsl(DWORD argb, short hue, short saturation, short lightness) {
    if (hue == 180 && saturation == 100 && lightness == 100) {
        return argb;
    }
    return AdjustPixel(argb, hue, saturation, lightness);
}

}  // namespace Orvel
