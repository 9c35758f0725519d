#pragma once
#include "UiPlatform.h"

namespace Orvel {

// The layout of a Win32 RECT, so it passes straight to the platform.
class CUiRect : public RECT {
public:
    CUiRect() { left = top = right = bottom = 0; }
    CUiRect(const RECT& rect) : RECT(rect) {}
    CUiRect(LONG l, LONG t, LONG r, LONG b) {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    // Sets all four edges to zero.
    void Empty() { left = top = right = bottom = 0; }
    // Smallest rectangle holding both.
    void Union(const RECT& other);
    void Offset(int dx, int dy);
    void MoveToOrigin() { Offset(-left, -top); }
    void Deflate(int dx, int dy) { InflateRect(this, -dx, -dy); }
    void Inflate(int dx, int dy) { InflateRect(this, dx, dy); }
    bool IsEmpty() const { return IsRectEmpty(this) != FALSE; }
    // This rectangle becomes the intersection; false (and empty) when none.
    bool Intersect(const RECT& other);
    bool operator==(const RECT& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
    bool operator!=(const RECT& other) const { return !(*this == other); }
};

// The layout of a Win32 SIZE; it serves as a point (x = cx, y = cy) too.
class CUiSize : public SIZE {
public:
    CUiSize() { cx = cy = 0; }
    CUiSize(const SIZE& size) : SIZE(size) {}
    CUiSize(LONG x, LONG y) {
        cx = x;
        cy = y;
    }
    bool operator==(const SIZE& other) const { return cx == other.cx && cy == other.cy; }
    bool operator!=(const SIZE& other) const { return !(*this == other); }
};

}  // namespace Orvel
