#include "UiGdiPlus.h"

namespace Orvel {

using namespace Gdiplus::DllExports;

ULONG_PTR StartGdiPlus() {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        return 0;
    }
    return token;
}

void ShutdownGdiPlus(ULONG_PTR token) {
    if (token != 0) {
        Gdiplus::GdiplusShutdown(token);
    }
}

bool EnsureGdiPlus() {
    // Never shut down: the process ends with it running.
    static const ULONG_PTR token = StartGdiPlus();
    return token != 0;
}

bool CreateGpGraphics(HDC dc, ScopedGpGraphics& graphics) {
    return EnsureGdiPlus() && GdipCreateFromHDC(dc, graphics.Receive()) == Gdiplus::Ok;
}

Gdiplus::GpBrush* CreateGpSolidBrush(DWORD argb, ScopedGpBrush& brush) {
    Gdiplus::GpSolidFill* fill = nullptr;
    if (GdipCreateSolidFill(argb, &fill) != Gdiplus::Ok) {
        return nullptr;
    }
    *brush.Receive() = fill;
    return brush.Get();
}

}  // namespace Orvel
