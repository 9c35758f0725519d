#pragma once
#include "UiPlatform.h"
#include "UiRect.h"
#include "UiString.h"

namespace Orvel {

class CControlUI;
class CPaintManagerUI;
class CUiScaledCellCache;
struct UiDrawInfo;
struct UiImageInfo;

// What an image blit may reuse instead of creating it: memory contexts for
// the image and for scaled cells, and the window's cache of scaled cells
// with the image being drawn (all kept by the window, not owned here). Null
// contexts are made for the one blit; without a cache and an image every
// scaled cell is stretched anew.
struct UiImageBlit {
    HDC imageDC = nullptr;
    HDC cellDC = nullptr;
    CUiScaledCellCache* cache = nullptr;
    const UiImageInfo* image = nullptr;
};

// The painting routines every control uses. They keep no state: images and
// parsed image strings come from the paint manager's caches. Colours are
// 0xAARRGGBB. UI thread only; every routine returns quietly when its device
// context, manager or image is missing.
class CUiRender {
public:
    // Decodes an image into a new record owned by the caller (release it
    // with ReleaseImage). With a type, `name` is a resource name or an
    // integer resource id (MAKEINTRESOURCEW) in `module`, or else the
    // framework's resource module; without one it is a file looked up under
    // the resource path (or in the skin zip), then as written. Null when
    // nothing could be read or decoded.
    static UiImageInfo* LoadImageData(const wchar_t* name, const wchar_t* type, DWORD mask, HINSTANCE module);
    static void ReleaseImage(UiImageInfo* info, bool deleteRecord);

    // Draws an image attribute string (with its modify string) over
    // `itemRect`, painting only inside `paintRect`. False when there is no
    // image to draw.
    static bool PaintImageString(HDC dc, CPaintManagerUI* manager, const RECT& itemRect, const RECT& paintRect,
                                 const wchar_t* image, const wchar_t* modify = nullptr, HINSTANCE module = nullptr);
    static bool PaintImageInfo(HDC dc, CPaintManagerUI* manager, const RECT& itemRect, const RECT& paintRect,
                               const UiDrawInfo* info, HINSTANCE module = nullptr);
    // Nine-grid blit of `source` onto `dest` with the border widths in
    // `corners`; the centre is stretched or tiled, or left out with `hole`.
    static void PaintImage(HDC dc, HBITMAP bitmap, const RECT& dest, const RECT& paintRect, const RECT& source,
                           const RECT& corners, bool useAlpha, BYTE fade, bool hole = false, bool xTiled = false,
                           bool yTiled = false);
    // The same with what a window keeps for blits (see UiImageBlit).
    static void PaintImageCells(HDC dc, HBITMAP bitmap, const UiImageBlit& blit, const RECT& dest,
                                const RECT& paintRect, const RECT& source, const RECT& corners, bool useAlpha,
                                BYTE fade, bool hole = false, bool xTiled = false, bool yTiled = false);
    // The per-pixel blend used when the platform's AlphaBlend is missing.
    static void BlendFallback(HDC dc, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                              int sourceWidth, int sourceHeight, BYTE constantAlpha);

    // Translucent fills and gradients draw through the window's scratch
    // surfaces when a manager is given, else through surfaces made per call.
    static void FillColor(HDC dc, const RECT& rect, DWORD argb, CPaintManagerUI* manager = nullptr);
    // A two-colour gradient, drawn at the average alpha of the two colours.
    static void FillGradient(HDC dc, const RECT& rect, DWORD first, DWORD second, bool vertical, int steps,
                             CPaintManagerUI* manager = nullptr);
    // The solid bands that stand in for the platform's GradientFill.
    static void FillGradientBands(HDC dc, const RECT& rect, DWORD first, DWORD second, bool vertical, int steps);
    static void StrokeLine(HDC dc, const RECT& rect, int width, DWORD argb, int penStyle = PS_SOLID);
    static void StrokeRect(HDC dc, const RECT& rect, int width, DWORD argb);
    static void StrokeRoundRect(HDC dc, const RECT& rect, int width, int ellipseWidth, int ellipseHeight,
                                DWORD argb, int penStyle = PS_SOLID);

    // Plain text with DrawText flags; with DT_CALCRECT `rect` receives the
    // size needed. GDI+ draws when the window is layered or asks for it.
    static void PaintText(HDC dc, CPaintManagerUI* manager, RECT& rect, const wchar_t* text, DWORD argb,
                          int fontId, UINT format);
    static void PaintTextOpaque(HDC dc, CPaintManagerUI* manager, RECT& rect, const wchar_t* text, DWORD textArgb,
                                int fontId, UINT format, DWORD backArgb, bool transparent);
    // Text with inline tags (<b>, <c #FF0000>, <a target>, ...). `linkCount`
    // is the capacity of the two link arrays on entry and the number of link
    // rectangles laid out on return; they may be null when it is 0.
    static void PaintRichText(HDC dc, CPaintManagerUI* manager, RECT& rect, const wchar_t* text, DWORD argb,
                              RECT* linkRects, CUiString* linkTargets, int& linkCount, UINT format);

    // A new 32-bit DIB section (owned by the caller) holding the control as
    // it paints inside `rect`.
    static HBITMAP RenderControlBitmap(CPaintManagerUI* manager, CControlUI* control, const RECT& rect);
    // A 32-bit DIB section; a negative height makes it top-down.
    static HBITMAP CreateArgbBitmap(HDC dc, int width, int height, BYTE** bits);

    // Recomputes an image's pixels from its saved copy with the given hue
    // shift (180 = none), saturation and lightness (percent).
    static void ApplyHsl(bool enabled, UiImageInfo* info, short hue, short saturation, short lightness);
    // The same adjustment for one ARGB colour; alpha is kept.
    static DWORD AdjustHsl(DWORD argb, short hue, short saturation, short lightness);
};

}  // namespace Orvel
