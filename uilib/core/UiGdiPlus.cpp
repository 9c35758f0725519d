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

Gdiplus::GpBrush* CreateGpSolidBrush(DWORD argb, ScopedGpBrush& brush) {
    Gdiplus::GpSolidFill* fill = nullptr;
    if (GdipCreateSolidFill(argb, &fill) != Gdiplus::Ok) {
        return nullptr;
    }
    *brush.Receive() = fill;
    return brush.Get();
}

}  // namespace Orvel
