#pragma once
#include "UiPlatform.h"
#include "UiScaledCellCache.h"
#include "UiString.h"

#include <vector>

namespace Orvel {

// One decoded image, owned by the image table that registered it.
struct UiImageInfo {
    HBITMAP bitmap = nullptr;  // owned: 32-bit top-down DIB section, premultiplied BGRA
    BYTE* bits = nullptr;      // the DIB's pixels; they belong to `bitmap`
    std::vector<BYTE> savedBits;  // the pixels as loaded, kept for HSL adjustment only
    int width = 0;
    int height = 0;
    // True when a pixel is not fully opaque after decoding or the mask removed one.
    bool hasAlpha = false;
    bool useHsl = false;
    CUiString resourceType;  // empty for files
    DWORD mask = 0;          // ARGB colour made transparent; 0 = none
    // Drawing does not change the image, only what is cached for it.
    mutable CUiScaledCellCache scaledCells;
};

}  // namespace Orvel
