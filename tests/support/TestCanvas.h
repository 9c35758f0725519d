#pragma once
#include "Platform.h"

#include <functional>

// A 32-bit top-down DIB selected into a memory device context, for drawing
// tests that read their pixels back.
class TestCanvas {
public:
    // Every pixel starts as `background` (0xAARRGGBB, stored as is).
    TestCanvas(int width, int height, DWORD background = 0xFFFFFFFF);
    ~TestCanvas();
    TestCanvas(const TestCanvas&) = delete;
    TestCanvas& operator=(const TestCanvas&) = delete;

    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    RECT Bounds() const { return RECT{0, 0, width_, height_}; }
    DWORD Background() const { return background_; }

    void Clear();
    void Clear(DWORD argb);
    // 0xAARRGGBB as stored; 0 outside the canvas.
    DWORD Pixel(int x, int y) const;
    // The colour without its alpha byte (GDI leaves alpha alone or at 0).
    DWORD Rgb(int x, int y) const { return Pixel(x, y) & 0x00FFFFFF; }
    // Pixels of `area` whose colour differs from the background's.
    int CountChanged(const RECT& area) const;
    int CountWhere(const RECT& area, const std::function<bool(DWORD argb)>& test) const;
    // The bounding box of the changed pixels (empty when none).
    RECT ChangedBounds() const;
    bool SamePixels(const TestCanvas& other) const;

private:
    int width_;
    int height_;
    DWORD background_;
    HDC dc_;            // owned
    HBITMAP bitmap_;    // owned
    HGDIOBJ previous_;  // not owned
    DWORD* bits_;       // the DIB's pixels
};

// Channel helpers for 0xAARRGGBB values.
inline int RedOf(DWORD argb) { return (argb >> 16) & 0xFF; }
inline int GreenOf(DWORD argb) { return (argb >> 8) & 0xFF; }
inline int BlueOf(DWORD argb) { return argb & 0xFF; }
inline int AlphaOf(DWORD argb) { return (argb >> 24) & 0xFF; }
// Whether every colour channel of two pixels is within `tolerance`.
bool NearRgb(DWORD a, DWORD b, int tolerance = 3);
