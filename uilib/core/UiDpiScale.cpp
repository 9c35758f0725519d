#include "UiDpiScale.h"

#include "UiDynamicCalls.h"
#include "UiScopedHandles.h"
#include "UiSystemVersion.h"

namespace Orvel {

namespace {

constexpr int kBaseDpi = 96;

using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

GetDpiForMonitorFn LookUpGetDpiForMonitor() {
    // Kept loaded for the life of the process.
    HMODULE shcore = LoadSystemLibrary(L"Shcore.dll");
    if (shcore == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<GetDpiForMonitorFn>(
        reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
}

}  // namespace

CUiDpiScale::CUiDpiScale() : current_(0), first_(0), mode_(PerMonitor) {
    SetDpi(kBaseDpi);
}

void CUiDpiScale::SetAwarenessMode(int mode) {
    if (mode >= Unaware && mode <= PerMonitor) {
        mode_ = mode;
    }
}

int CUiDpiScale::ScalePercent() const {
    switch (mode_) {
    case Unaware:
        return 100;
    case SystemAware:
        return first_;
    default:
        return current_;
    }
}

int CUiDpiScale::CurrentDpi() const {
    if (mode_ == Unaware) {
        return kBaseDpi;
    }
    return MulDiv(ScalePercent(), kBaseDpi, 100);
}

void CUiDpiScale::SetDpi(int dpi) {
    // A scale of 0 would make every unscaled value -1 (MulDiv by zero).
    if (dpi <= 0) {
        dpi = kBaseDpi;
    }
    current_ = MulDiv(dpi, 100, kBaseDpi);
    if (first_ == 0) {
        first_ = current_;
    }
}

int CUiDpiScale::ScaleValue(int value) const {
    if (mode_ == Unaware) {
        return value;
    }
    return MulDiv(value, ScalePercent(), 100);
}

int CUiDpiScale::UnscaleValue(int value) const {
    if (mode_ == Unaware) {
        return value;
    }
    return MulDiv(value, 100, ScalePercent());
}

void CUiDpiScale::MapRect(RECT* rect, int (CUiDpiScale::*convert)(int) const) const {
    if (rect == nullptr) {
        return;
    }
    int width = (this->*convert)(rect->right - rect->left);
    int height = (this->*convert)(rect->bottom - rect->top);
    rect->left = (this->*convert)(rect->left);
    rect->top = (this->*convert)(rect->top);
    rect->right = rect->left + width;
    rect->bottom = rect->top + height;
}

void CUiDpiScale::ScaleRect(RECT* rect) const {
    MapRect(rect, &CUiDpiScale::ScaleValue);
}

void CUiDpiScale::UnscaleRect(RECT* rect) const {
    MapRect(rect, &CUiDpiScale::UnscaleValue);
}

CUiRect CUiDpiScale::ScaleRectFrom(int left, int top, int right, int bottom) const {
    CUiRect rect(left, top, right, bottom);
    ScaleRect(&rect);
    return rect;
}

CUiSize CUiDpiScale::ScaleSize(int cx, int cy) const {
    return CUiSize(ScaleValue(cx), ScaleValue(cy));
}

int CUiDpiScale::MonitorDpi(HMONITOR monitor) {
    if (!IsWindowsVersionOrLater(6, 3)) {
        ScopedGetDC screen(nullptr);
        if (screen.Get() == nullptr) {
            return kBaseDpi;
        }
        int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSX);
        return dpi > 0 ? dpi : kBaseDpi;
    }
    static const GetDpiForMonitorFn getDpiForMonitor = LookUpGetDpiForMonitor();
    if (getDpiForMonitor == nullptr) {
        return kBaseDpi;
    }
    UINT dpiX = 0;
    UINT dpiY = 0;
    if (FAILED(getDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY)) || dpiX == 0) {
        return kBaseDpi;
    }
    return static_cast<int>(dpiX);
}

int CUiDpiScale::DpiAtPoint(int x, int y) {
    POINT point = {x, y};
    return MonitorDpi(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST));
}

int CUiDpiScale::PrimaryDpi() {
    return DpiAtPoint(1, 1);
}

}  // namespace Orvel
