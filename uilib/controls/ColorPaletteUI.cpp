#include "ColorPaletteUI.h"

#include "PaintManagerUI.h"
#include "UiRender.h"
#include "UiValueParser.h"

#include <algorithm>
#include <cwchar>

namespace Orvel {

namespace {

constexpr int kImageWidth = 400;
constexpr int kImageHeight = 360;
constexpr int kPaletteColumns = 360;
constexpr int kPaletteRows = 200;
// The palette is drawn from one row less than it holds.
constexpr int kPaletteSourceRows = 199;
constexpr int kBarTop = 210;
constexpr int kBarColumns = 200;
constexpr int kMaxBarHeight = 150;
constexpr int kThumbSize = 8;

float HueChannel(float p, float q, float t) {
    if (t < 0) {
        t += 1;
    }
    if (t > 1) {
        t -= 1;
    }
    if (6 * t < 1) {
        return p + (q - p) * 6 * t;
    }
    if (2 * t < 1) {
        return q;
    }
    if (3 * t < 2) {
        return p + (q - p) * (2.0f / 3.0f - t) * 6;
    }
    return p;
}

BYTE ToByte(float value) {
    return static_cast<BYTE>(std::min(255, std::max(0, static_cast<int>(value * 255))));
}

// Hue, saturation and lightness from 0 to 1, in single precision.
COLORREF HslToRgb(float hue, float saturation, float lightness) {
    if (saturation == 0) {
        const BYTE grey = ToByte(lightness);
        return RGB(grey, grey, grey);
    }
    const float q = lightness < 0.5f ? lightness * (1 + saturation)
                                     : lightness + saturation - lightness * saturation;
    const float p = 2 * lightness - q;
    return RGB(ToByte(HueChannel(p, q, hue + 1.0f / 3.0f)), ToByte(HueChannel(p, q, hue)),
               ToByte(HueChannel(p, q, hue - 1.0f / 3.0f)));
}

}  // namespace

CColorPaletteUI::CColorPaletteUI()
    : memoryDC_(nullptr), image_(nullptr), previousBitmap_(nullptr), imageWidth_(0), imageHeight_(0),
      bytesPerRow_(0), bitsPerPixel_(0), state_(0), draggingBar_(false), draggingPalette_(false), hue_(180),
      saturation_(200), lightness_(100), paletteHeight_(200), barHeight_(10), thumb_{0, 0} {}

CColorPaletteUI::~CColorPaletteUI() {
    ReleaseImage();
}

const wchar_t* CColorPaletteUI::ClassName() const {
    return L"ColorPaletteUI";
}

void* CColorPaletteUI::CastTo(const wchar_t* name) {
    if (name != nullptr && wcscmp(name, L"ColorPalette") == 0) {
        return this;
    }
    return CControlUI::CastTo(name);
}

void CColorPaletteUI::OnInitialize() {
    CreateImage();
}

void CColorPaletteUI::CreateImage() {
    HDC reference = manager_ != nullptr ? manager_->PaintDC() : nullptr;
    if (image_ != nullptr || reference == nullptr) {
        return;
    }
    memoryDC_ = CreateCompatibleDC(reference);
    image_ = CreateCompatibleBitmap(reference, kImageWidth, kImageHeight);
    BITMAP description = {};
    GetObjectW(image_, sizeof(description), &description);
    // Pixels are written as blue, green and red bytes, which a display of
    // fewer colours would not read as such.
    if (image_ != nullptr && description.bmBitsPixel < 24) {
        DeleteObject(image_);
        BYTE* bits = nullptr;
        image_ = CUiRender::CreateArgbBitmap(reference, kImageWidth, -kImageHeight, &bits);
        GetObjectW(image_, sizeof(description), &description);
    }
    if (memoryDC_ == nullptr || image_ == nullptr) {
        ReleaseImage();
        return;
    }
    previousBitmap_ = SelectObject(memoryDC_, image_);
    imageWidth_ = description.bmWidth;
    imageHeight_ = description.bmHeight;
    bytesPerRow_ = description.bmWidthBytes;
    bitsPerPixel_ = description.bmBitsPixel;
    pixels_.assign(static_cast<size_t>(bytesPerRow_) * imageHeight_, 0);
    GetBitmapBits(image_, static_cast<LONG>(pixels_.size()), pixels_.data());
}

void CColorPaletteUI::ReleaseImage() {
    pixels_.clear();
    if (memoryDC_ != nullptr && previousBitmap_ != nullptr) {
        SelectObject(memoryDC_, previousBitmap_);
    }
    previousBitmap_ = nullptr;
    if (image_ != nullptr) {
        DeleteObject(image_);
        image_ = nullptr;
    }
    if (memoryDC_ != nullptr) {
        DeleteDC(memoryDC_);
        memoryDC_ = nullptr;
    }
}

void CColorPaletteUI::PutPixel(int row, int column, float hue, float saturation, float lightness) {
    const size_t offset = static_cast<size_t>(row) * bytesPerRow_ + static_cast<size_t>(column) * bitsPerPixel_ / 8;
    if (offset + 3 > pixels_.size()) {
        return;
    }
    const COLORREF color = HslToRgb(hue, saturation, lightness);
    pixels_[offset] = GetBValue(color);
    pixels_[offset + 1] = GetGValue(color);
    pixels_[offset + 2] = GetRValue(color);
}

void CColorPaletteUI::CommitPixels() {
    SetBitmapBits(image_, static_cast<DWORD>(pixels_.size()), pixels_.data());
}

void CColorPaletteUI::GeneratePalette() {
    if (image_ == nullptr) {
        return;
    }
    for (int i = 0; i < kPaletteRows; ++i) {
        for (int j = 0; j < kPaletteColumns; ++j) {
            PutPixel(kPaletteRows - 1 - i, j, j / 360.0f, saturation_ / 200.0f, i / 200.0f);
        }
    }
    CommitPixels();
}

void CColorPaletteUI::GenerateBar() {
    if (image_ == nullptr) {
        return;
    }
    for (int i = 0; i < barHeight_; ++i) {
        for (int j = 0; j < kBarColumns; ++j) {
            PutPixel(kBarTop + i, j, hue_ / 360.0f, j / 200.0f, lightness_ / 200.0f);
        }
    }
    CommitPixels();
}

DWORD CColorPaletteUI::SelectedColor() const {
    const COLORREF color = HslToRgb(hue_ / 360.0f, saturation_ / 200.0f, lightness_ / 200.0f);
    return 0xFF000000u | (static_cast<DWORD>(GetRValue(color)) << 16) | (static_cast<DWORD>(GetGValue(color)) << 8) |
           GetBValue(color);
}

CUiRect CColorPaletteUI::PaletteArea() const {
    return CUiRect(itemRect_.left, itemRect_.top, itemRect_.right, itemRect_.top + Scale(paletteHeight_));
}

CUiRect CColorPaletteUI::BarArea() const {
    return CUiRect(itemRect_.left, itemRect_.bottom - Scale(barHeight_), itemRect_.right, itemRect_.bottom);
}

void CColorPaletteUI::UpdateThumb() {
    thumb_.x = itemRect_.left + itemRect_.Width() * hue_ / 360;
    thumb_.y = itemRect_.top + (200 - lightness_) * Scale(paletteHeight_) / 200;
}

void CColorPaletteUI::Place(const RECT& rect, bool invalidate) {
    CControlUI::Place(rect, invalidate);
    // A palette at the root of a tree is never initialised.
    CreateImage();
    UpdateThumb();
    GeneratePalette();
    GenerateBar();
}

// Edges included: a drag may go on along them.
void CColorPaletteUI::PickOnPalette(POINT point) {
    const CUiRect area = PaletteArea();
    if (area.Width() <= 0 || area.Height() <= 0) {
        return;
    }
    hue_ = std::min(360, std::max(0, static_cast<int>(point.x - area.left) * 360 / area.Width()));
    lightness_ = std::min(200, std::max(0, 200 - static_cast<int>(point.y - area.top) * 200 / area.Height()));
    thumb_.x = std::min(area.right, std::max(area.left, point.x));
    thumb_.y = std::min(area.bottom, std::max(area.top, point.y));
    GenerateBar();
}

void CColorPaletteUI::PickOnBar(int x) {
    const int width = itemRect_.Width();
    if (width <= 0) {
        return;
    }
    saturation_ = std::min(200, std::max(0, static_cast<int>(x - itemRect_.left) * 200 / width));
    GeneratePalette();
}

void CColorPaletteUI::ProcessEvent(UiEvent& event) {
    CControlUI::ProcessEvent(event);
    const POINT point = event.mousePoint;
    switch (event.type) {
    case UiEventType::ButtonDown: {
        const CUiRect palette = PaletteArea();
        const CUiRect bar = BarArea();
        if (PtInRect(&palette, point)) {
            state_ |= kDragging;
            draggingPalette_ = true;
            PickOnPalette(point);
        } else if (PtInRect(&bar, point)) {
            state_ |= kDragging;
            draggingBar_ = true;
            PickOnBar(point.x);
        }
        Invalidate();
        break;
    }
    case UiEventType::MouseMove: {
        if ((state_ & kDragging) == 0) {
            draggingBar_ = false;
            draggingPalette_ = false;
        }
        const CUiRect palette = PaletteArea();
        if (draggingPalette_ && point.x >= palette.left && point.x <= palette.right && point.y >= palette.top &&
            point.y <= palette.bottom) {
            PickOnPalette(point);
        } else if (draggingBar_) {
            PickOnBar(point.x);
        }
        Invalidate();
        break;
    }
    case UiEventType::CaptureLost:
        // A drag cut short still leaves the colour it reached.
        if ((state_ & kDragging) == 0) {
            break;
        }
        [[fallthrough]];
    case UiEventType::ButtonUp:
        if (IsEnabled() && manager_ != nullptr) {
            manager_->SendNotify(this, L"colorchanged", SelectedColor(), 0);
        }
        state_ &= ~kDragging;
        draggingBar_ = false;
        draggingPalette_ = false;
        Invalidate();
        break;
    default:
        break;
    }
}

void CColorPaletteUI::ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) {
    if (wcscmp(name, L"palletheight") == 0) {
        SetPaletteHeight(ParseInt(value));
    } else if (wcscmp(name, L"barheight") == 0) {
        SetBarHeight(ParseInt(value));
    } else if (wcscmp(name, L"thumbimage") == 0) {
        SetThumbImage(value);
    } else {
        CControlUI::ApplyOwnAttribute(name, value);
    }
}

void CColorPaletteUI::SetBarHeight(int height) {
    barHeight_ = std::min(height, kMaxBarHeight);
}

void CColorPaletteUI::SetThumbImage(const wchar_t* image) {
    if (thumbImage_ != image) {
        thumbImage_ = image;
        RequestUpdate();
    }
}

void CColorPaletteUI::DrawThumb(HDC dc, int x, int y) {
    if (thumbImage_.IsEmpty()) {
        return;
    }
    const int size = Scale(kThumbSize);
    const RECT square = {x - size / 2, y - size / 2, x - size / 2 + size, y - size / 2 + size};
    CUiRender::PaintImageString(dc, manager_, square, paintRect_, thumbImage_);
}

void CColorPaletteUI::DrawBackColor(HDC dc) {
    CControlUI::DrawBackColor(dc);
    if (memoryDC_ != nullptr) {
        const CUiRect palette = PaletteArea();
        const CUiRect bar = BarArea();
        const int previousMode = SetStretchBltMode(dc, HALFTONE);
        POINT previousOrigin = {};
        SetBrushOrgEx(dc, 0, 0, &previousOrigin);
        if (palette.Height() > 0) {
            StretchBlt(dc, palette.left, palette.top, palette.Width(), palette.Height(), memoryDC_, 0, 0,
                       kPaletteColumns, kPaletteSourceRows, SRCCOPY);
        }
        if (bar.Height() > 0 && barHeight_ > 0) {
            StretchBlt(dc, bar.left, bar.top, bar.Width(), bar.Height(), memoryDC_, 0, kBarTop, kBarColumns,
                       barHeight_, SRCCOPY);
        }
        SetBrushOrgEx(dc, previousOrigin.x, previousOrigin.y, nullptr);
        SetStretchBltMode(dc, previousMode);
    }
    DrawThumb(dc, thumb_.x, thumb_.y);
    DrawThumb(dc, itemRect_.left + itemRect_.Width() * saturation_ / 200, itemRect_.bottom - Scale(barHeight_) / 2);
}

}  // namespace Orvel
