#pragma once
#include "ControlUI.h"

#include <vector>

namespace Orvel {

// A colour picker: a palette whose horizontal position chooses the hue and
// whose vertical position the lightness, above a bar whose horizontal
// position chooses the saturation. Both are drawn from one generated image;
// pressing and dragging picks, and releasing the pointer sends
// "colorchanged" with the chosen colour in wParam.
class CColorPaletteUI : public CControlUI {
public:
    CColorPaletteUI();
    ~CColorPaletteUI() override;

    const wchar_t* ClassName() const override;
    // "ColorPalette" compared case-sensitively, then the base's names.
    void* CastTo(const wchar_t* name) override;
    // Makes the colour image in a context like the window's.
    void OnInitialize() override;
    // Moves the palette's thumb and draws both images anew.
    void Place(const RECT& rect, bool invalidate = true) override;
    void ProcessEvent(UiEvent& event) override;
    // The palette at the top, the bar at the bottom and the two thumbs.
    void DrawBackColor(HDC dc) override;

    // Opaque 0xAARRGGBB of the chosen hue, saturation and lightness.
    DWORD SelectedColor() const;
    // 0 to 360.
    int Hue() const { return hue_; }
    // 0 to 200 each.
    int Saturation() const { return saturation_; }
    int Lightness() const { return lightness_; }
    // Unscaled heights of the two areas; the bar is at most 150 high.
    int PaletteHeight() const { return paletteHeight_; }
    void SetPaletteHeight(int height) { paletteHeight_ = height; }
    int BarHeight() const { return barHeight_; }
    void SetBarHeight(int height);
    const CUiString& ThumbImage() const { return thumbImage_; }
    void SetThumbImage(const wchar_t* image);
    // The palette's thumb, in window coordinates.
    POINT ThumbPoint() const { return thumb_; }

protected:
    // "palletheight", "barheight" and "thumbimage", compared case-sensitively.
    void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) override;

private:
    static constexpr UINT kDragging = 1u << 16;

    void CreateImage();
    void ReleaseImage();
    // Rows 0 to 199 of the image: hue across, lightness growing upwards.
    void GeneratePalette();
    // Rows from 210: saturation across, for the chosen hue and lightness.
    void GenerateBar();
    void PutPixel(int row, int column, float hue, float saturation, float lightness);
    void CommitPixels();
    CUiRect PaletteArea() const;
    CUiRect BarArea() const;
    void PickOnPalette(POINT point);
    void PickOnBar(int x);
    void UpdateThumb();
    void DrawThumb(HDC dc, int x, int y);

    HDC memoryDC_;            // owned
    HBITMAP image_;           // owned
    HGDIOBJ previousBitmap_;  // not owned: what memoryDC_ held before
    int imageWidth_;
    int imageHeight_;
    int bytesPerRow_;
    int bitsPerPixel_;
    std::vector<BYTE> pixels_;
    UINT state_;
    bool draggingBar_;
    bool draggingPalette_;
    int hue_;
    int saturation_;
    int lightness_;
    int paletteHeight_;
    int barHeight_;
    POINT thumb_;
    CUiString thumbImage_;
};

}  // namespace Orvel
