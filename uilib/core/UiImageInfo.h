#pragma once
#include "UiPlatform.h"
#include "UiString.h"

#include <memory>
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
    // Renewed whenever the pixels change, so that scaled copies of the old
    // ones are never drawn again (see CUiScaledCellCache).
    std::shared_ptr<const char> pixelsId = std::make_shared<const char>();
};

}  // namespace Orvel
