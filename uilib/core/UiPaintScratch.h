#pragma once
#include "UiPlatform.h"

#include <cstddef>

namespace Orvel {

// Surfaces that a window's translucent fills and gradients draw through,
// kept from one paint to the next instead of being made for every call.
// Owned by the paint manager; the gradient surface is kept up to a size and
// grows to the largest gradient drawn.
class CUiPaintScratch {
public:
    static constexpr size_t kMaxSurfaceBytes = 1u << 20;

    CUiPaintScratch() = default;
    ~CUiPaintScratch();
    CUiPaintScratch(const CUiPaintScratch&) = delete;
    CUiPaintScratch& operator=(const CUiPaintScratch&) = delete;

    // A memory context holding one pixel of `premultiplied` (0xAARRGGBB,
    // colour already multiplied by alpha); null when it cannot be made.
    HDC SolidPixel(DWORD premultiplied);
    // A memory context holding a 32-bit surface of at least width x height,
    // its pixels left as the last user left them; null when the size is
    // beyond what is kept or it cannot be made.
    HDC Surface(int width, int height);
    // Pixel bytes of the bitmaps held.
    size_t Bytes() const;

private:
    struct Target {
        HDC dc = nullptr;            // owned
        HBITMAP bitmap = nullptr;    // owned, selected into dc
        HGDIOBJ previous = nullptr;  // not owned: what dc held first
        int width = 0;
        int height = 0;
        BYTE* bits = nullptr;        // the bitmap's pixels
    };

    static bool Make(Target& target, int width, int height);
    static void Release(Target& target);

    Target pixel_;
    Target surface_;
};

}  // namespace Orvel
