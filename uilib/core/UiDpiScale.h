#pragma once
#include "UiPlatform.h"
#include "UiRect.h"

namespace Orvel {

// A window's display scale: skins are written in 96-DPI pixels and this is
// the one place where they become device pixels. Owned by the paint manager.
class CUiDpiScale {
public:
    enum AwarenessMode { Unaware = 0, SystemAware = 1, PerMonitor = 2 };

    // Per-monitor mode at 96 DPI: both the current and the first scale are 100.
    CUiDpiScale();

    int AwarenessMode() const { return mode_; }
    void SetAwarenessMode(int mode);
    // 100 when unaware, the first scale when system-aware, else the current one.
    int ScalePercent() const;
    int CurrentDpi() const;
    // The first scale is recorded once and never changes afterwards.
    void SetDpi(int dpi);

    int ScaleValue(int value) const;
    int UnscaleValue(int value) const;
    // Width and height are scaled on their own, so the size of a rectangle
    // does not depend on where it lies.
    void ScaleRect(RECT* rect) const;
    void UnscaleRect(RECT* rect) const;
    CUiRect ScaleRectFrom(int left, int top, int right, int bottom) const;
    CUiSize ScaleSize(int cx, int cy) const;

    // Effective DPI of a monitor; 96 whenever the platform cannot tell.
    static int MonitorDpi(HMONITOR monitor);
    static int DpiAtPoint(int x, int y);
    static int PrimaryDpi();

private:
    void MapRect(RECT* rect, int (CUiDpiScale::*convert)(int) const) const;

    int current_;
    int first_;
    int mode_;
};

}  // namespace Orvel
