#include "TestCanvas.h"

#include "UiRender.h"

#include <cstdlib>

TestCanvas::TestCanvas(int width, int height, DWORD background)
    : width_(width), height_(height), background_(background), dc_(CreateCompatibleDC(nullptr)),
      bitmap_(nullptr), previous_(nullptr), bits_(nullptr) {
    BYTE* pixels = nullptr;
    bitmap_ = Orvel::CUiRender::CreateArgbBitmap(dc_, width, -height, &pixels);
    bits_ = reinterpret_cast<DWORD*>(pixels);
    previous_ = SelectObject(dc_, bitmap_);
    Clear();
}

TestCanvas::~TestCanvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

void TestCanvas::Clear() {
    Clear(background_);
}

void TestCanvas::Clear(DWORD argb) {
    GdiFlush();
    background_ = argb;
    for (int i = 0; i < width_ * height_; ++i) {
        bits_[i] = argb;
    }
}

DWORD TestCanvas::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return 0;
    }
    GdiFlush();
    return bits_[y * width_ + x];
}

int TestCanvas::CountWhere(const RECT& area, const std::function<bool(DWORD argb)>& test) const {
    GdiFlush();
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (x >= 0 && y >= 0 && x < width_ && y < height_ && test(bits_[y * width_ + x])) {
                ++count;
            }
        }
    }
    return count;
}

int TestCanvas::CountChanged(const RECT& area) const {
    const DWORD background = background_ & 0x00FFFFFF;
    return CountWhere(area, [background](DWORD argb) { return (argb & 0x00FFFFFF) != background; });
}

RECT TestCanvas::ChangedBounds() const {
    GdiFlush();
    RECT bounds = {width_, height_, 0, 0};
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            if ((bits_[y * width_ + x] & 0x00FFFFFF) != (background_ & 0x00FFFFFF)) {
                bounds.left = x < bounds.left ? x : bounds.left;
                bounds.top = y < bounds.top ? y : bounds.top;
                bounds.right = x + 1 > bounds.right ? x + 1 : bounds.right;
                bounds.bottom = y + 1 > bounds.bottom ? y + 1 : bounds.bottom;
            }
        }
    }
    if (bounds.right == 0) {
        return RECT{0, 0, 0, 0};
    }
    return bounds;
}

bool TestCanvas::SamePixels(const TestCanvas& other) const {
    if (width_ != other.width_ || height_ != other.height_) {
        return false;
    }
    GdiFlush();
    for (int i = 0; i < width_ * height_; ++i) {
        if ((bits_[i] & 0x00FFFFFF) != (other.bits_[i] & 0x00FFFFFF)) {
            return false;
        }
    }
    return true;
}

bool NearRgb(DWORD a, DWORD b, int tolerance) {
    return std::abs(RedOf(a) - RedOf(b)) <= tolerance && std::abs(GreenOf(a) - GreenOf(b)) <= tolerance &&
           std::abs(BlueOf(a) - BlueOf(b)) <= tolerance;
}
