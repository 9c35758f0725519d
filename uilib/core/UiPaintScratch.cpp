#include "UiPaintScratch.h"

#include "UiRender.h"

#include <cstring>

namespace Orvel {

CUiPaintScratch::~CUiPaintScratch() {
    Release(pixel_);
    Release(surface_);
}

bool CUiPaintScratch::Make(Target& target, int width, int height) {
    Release(target);
    target.dc = CreateCompatibleDC(nullptr);
    target.bitmap = CUiRender::CreateArgbBitmap(nullptr, width, -height, &target.bits);
    if (target.dc == nullptr || target.bitmap == nullptr || target.bits == nullptr) {
        Release(target);
        return false;
    }
    target.previous = SelectObject(target.dc, target.bitmap);
    target.width = width;
    target.height = height;
    return true;
}

void CUiPaintScratch::Release(Target& target) {
    if (target.dc != nullptr) {
        if (target.previous != nullptr) {
            SelectObject(target.dc, target.previous);
        }
        DeleteDC(target.dc);
    }
    if (target.bitmap != nullptr) {
        DeleteObject(target.bitmap);
    }
    target = Target();
}

HDC CUiPaintScratch::SolidPixel(DWORD premultiplied) {
    if (pixel_.dc == nullptr && !Make(pixel_, 1, 1)) {
        return nullptr;
    }
    // GDI may still be writing into the pixel for the previous call.
    GdiFlush();
    memcpy(pixel_.bits, &premultiplied, sizeof(premultiplied));
    return pixel_.dc;
}

HDC CUiPaintScratch::Surface(int width, int height) {
    if (width <= 0 || height <= 0 ||
        static_cast<size_t>(width) * static_cast<size_t>(height) * 4 > kMaxSurfaceBytes) {
        return nullptr;
    }
    if (width <= surface_.width && height <= surface_.height) {
        return surface_.dc;
    }
    const int grownWidth = width > surface_.width ? width : surface_.width;
    const int grownHeight = height > surface_.height ? height : surface_.height;
    // Growing both ways may pass the limit where each call alone did not.
    const bool fits = static_cast<size_t>(grownWidth) * static_cast<size_t>(grownHeight) * 4 <= kMaxSurfaceBytes;
    return Make(surface_, fits ? grownWidth : width, fits ? grownHeight : height) ? surface_.dc : nullptr;
}

size_t CUiPaintScratch::Bytes() const {
    return (static_cast<size_t>(pixel_.width) * pixel_.height + static_cast<size_t>(surface_.width) * surface_.height) *
           4;
}

}  // namespace Orvel
