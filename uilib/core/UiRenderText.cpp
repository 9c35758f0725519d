// Plain text for CUiRender: GDI, or GDI+ for layered windows and windows
// that ask for it.
#include "UiRender.h"

#include "PaintManagerUI.h"
#include "UiGdiPlus.h"
#include "UiScopedHandles.h"
#include "UiValueParser.h"

namespace Orvel {

using namespace Gdiplus::DllExports;

namespace {

// GDI+ treats a fully opaque brush on a layered surface as GDI output;
// one step below opaque keeps the text antialiased against its background.
constexpr DWORD kGdiPlusTextAlpha = 0xFE000000;

bool MakeStringFormat(UINT format, ScopedGpStringFormat& result) {
    Gdiplus::GpStringFormat* generic = nullptr;
    if (GdipStringFormatGetGenericTypographic(&generic) != Gdiplus::Ok ||
        GdipCloneStringFormat(generic, result.Receive()) != Gdiplus::Ok) {
        return false;
    }
    Gdiplus::GpStringFormat* stringFormat = result.Get();
    if (format & DT_END_ELLIPSIS) {
        GdipSetStringFormatTrimming(stringFormat, Gdiplus::StringTrimmingEllipsisCharacter);
    }
    INT flags = 0;
    GdipGetStringFormatFlags(stringFormat, &flags);
    if (format & DT_NOCLIP) {
        flags |= Gdiplus::StringFormatFlagsNoClip;
    }
    if (format & DT_SINGLELINE) {
        flags |= Gdiplus::StringFormatFlagsNoWrap;
    }
    GdipSetStringFormatFlags(stringFormat, flags);
    GdipSetStringFormatAlign(stringFormat, (format & DT_CENTER)  ? Gdiplus::StringAlignmentCenter
                                           : (format & DT_RIGHT) ? Gdiplus::StringAlignmentFar
                                                                 : Gdiplus::StringAlignmentNear);
    GdipSetStringFormatLineAlign(stringFormat, (format & DT_VCENTER)  ? Gdiplus::StringAlignmentCenter
                                               : (format & DT_BOTTOM) ? Gdiplus::StringAlignmentFar
                                                                      : Gdiplus::StringAlignmentNear);
    return true;
}

void PaintTextGdiPlus(HDC dc, CPaintManagerUI* manager, RECT& rect, const wchar_t* text, DWORD argb, HFONT font,
                      UINT format) {
    ScopedSelectObject selectFont(dc, font);
    ScopedGpGraphics graphics;
    ScopedGpFont gdiplusFont;
    ScopedGpStringFormat stringFormat;
    if (!CreateGpGraphics(dc, graphics) ||
        GdipCreateFontFromDC(dc, gdiplusFont.Receive()) != Gdiplus::Ok || !MakeStringFormat(format, stringFormat)) {
        return;
    }
    GdipSetTextRenderingHint(graphics.Get(), static_cast<Gdiplus::TextRenderingHint>(manager->TextRenderingHint()));
    GdipSetSmoothingMode(graphics.Get(), Gdiplus::SmoothingModeHighQuality);
    GdipSetInterpolationMode(graphics.Get(), Gdiplus::InterpolationModeHighQualityBicubic);
    Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(rect.left), static_cast<Gdiplus::REAL>(rect.top),
                          static_cast<Gdiplus::REAL>(rect.right - rect.left),
                          static_cast<Gdiplus::REAL>(rect.bottom - rect.top));
    if (format & DT_CALCRECT) {
        Gdiplus::RectF bounds;
        if (GdipMeasureString(graphics.Get(), text, -1, gdiplusFont.Get(), &layout, stringFormat.Get(), &bounds,
                              nullptr, nullptr) == Gdiplus::Ok) {
            rect.right = rect.left + static_cast<LONG>(bounds.Width) + 1;
            rect.bottom = rect.top + static_cast<LONG>(bounds.Height) + 1;
        }
        return;
    }
    ScopedGpBrush brush;
    if (CreateGpSolidBrush((argb & 0x00FFFFFF) | kGdiPlusTextAlpha, brush) != nullptr) {
        GdipDrawString(graphics.Get(), text, -1, gdiplusFont.Get(), &layout, stringFormat.Get(), brush.Get());
    }
}

}  // namespace

void CUiRender::PaintText(HDC dc, CPaintManagerUI* manager, RECT& rect, const wchar_t* text, DWORD argb,
                          int fontId, UINT format) {
    if (dc == nullptr || manager == nullptr || text == nullptr) {
        return;
    }
    HFONT font = manager->FontById(fontId);
    if (manager->IsLayered() || manager->IsGdiplusText()) {
        PaintTextGdiPlus(dc, manager, rect, text, argb, font, format);
        return;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ToColorRef(argb));
    ScopedSelectObject selectFont(dc, font);
    DrawTextW(dc, text, -1, &rect, format);
}

void CUiRender::PaintTextOpaque(HDC dc, CPaintManagerUI* manager, RECT& rect, const wchar_t* text,
                                DWORD textArgb, int fontId, UINT format, DWORD backArgb, bool transparent) {
    if (dc == nullptr || manager == nullptr || text == nullptr) {
        return;
    }
    SetBkMode(dc, transparent ? TRANSPARENT : OPAQUE);
    SetBkColor(dc, ToColorRef(backArgb));
    SetTextColor(dc, ToColorRef(textArgb));
    ScopedSelectObject selectFont(dc, manager->FontById(fontId));
    DrawTextW(dc, text, -1, &rect, format | DT_NOPREFIX);
}

}  // namespace Orvel
