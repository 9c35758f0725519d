#pragma once
#include "UiPlatform.h"
#include "UiRect.h"
#include "UiString.h"

namespace Orvel {

class CPaintManagerUI;

// A soft drop shadow around a skinned top-level window: a layered,
// click-through popup owned by the window, drawn either as a blurred
// silhouette of the window's region or from a nine-grid image. It follows
// the window by subclassing it. Every paint manager embeds one; it does
// nothing until it is shown and created for a window. UI thread only.
class CShadowUI {
public:
    static const wchar_t kWindowClass[];

    CShadowUI() = default;
    ~CShadowUI();
    CShadowUI(const CShadowUI&) = delete;
    CShadowUI& operator=(const CShadowUI&) = delete;

    // A second registration in the same process is harmless.
    static bool RegisterWindowClass(HINSTANCE instance);

    // Each setter refuses an out-of-range value with false and changes
    // nothing; a change redraws a visible shadow at once.
    bool SetShadowSize(int size);            // -20 to 20
    bool SetShadowSharpness(int sharpness);  // 0 to 20
    bool SetShadowDarkness(int darkness);    // 0 to 255
    bool SetShadowOffset(int x, int y);      // each -20 to 20
    bool SetShadowColor(DWORD rgb);          // 0x00RRGGBB
    // An image attribute string; switches to image mode.
    bool SetShadowImage(const wchar_t* image);
    bool SetShadowCorner(const RECT& corner);  // each edge >= 0
    void SetShadowShown(bool shown) { shown_ = shown; }
    // The settings (and the shown flag) go through the other shadow's setters.
    void CopyShadowTo(CShadowUI& other) const;

    int ShadowSize() const { return size_; }
    int ShadowSharpness() const { return sharpness_; }
    int ShadowDarkness() const { return darkness_; }
    POINT ShadowOffset() const { return POINT{offsetX_, offsetY_}; }
    DWORD ShadowColor() const { return color_; }
    const CUiString& ShadowImage() const { return image_; }
    const CUiRect& ShadowCorner() const { return corner_; }
    bool IsImageMode() const { return imageMode_; }
    bool IsShadowShown() const { return shown_; }
    // The shadow window, or null before it was created or after its owner died.
    HWND ShadowWindow() const { return window_; }

    // Creates the shadow window for the manager's window and follows that
    // window from now on; nothing unless the shadow is shown. Once per window.
    void CreateShadowFor(CPaintManagerUI* manager);
    // Redraws the shadow from the parent's current shape and position.
    void Regenerate(HWND parent);
    // The shadow's pixels for the parent as it is now: a new 32-bit
    // bottom-up DIB section owned by the caller, or null when there is
    // nothing to draw. `origin` receives the shadow window's screen position.
    HBITMAP RenderShadow(HWND parent, POINT* origin);

private:
    enum Status : BYTE { Enabled = 1, Visible = 2, ParentVisible = 4 };

    static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnParentMessage(HWND parent, UINT message, WPARAM wParam, LPARAM lParam);
    POINT ShadowOrigin(const RECT& parentRect) const;
    void MoveToParent(HWND parent);
    void Show(bool show);
    bool DrawImage(HBITMAP bitmap, int width, int height);
    void DrawSilhouette(HWND parent, DWORD* bits, int width, int height) const;
    void Redraw();

    CPaintManagerUI* manager_ = nullptr;  // not owned
    HWND window_ = nullptr;               // owned by its owner window, which destroys it
    HWND parent_ = nullptr;               // not owned
    BYTE status_ = 0;
    bool imageMode_ = false;
    bool shown_ = false;
    BYTE darkness_ = 150;
    BYTE sharpness_ = 5;
    signed char size_ = 0;
    signed char offsetX_ = 0;
    signed char offsetY_ = 0;
    LPARAM lastParentSize_ = 0;
    bool updatePending_ = false;
    DWORD color_ = 0;
    CUiString image_;
    CUiRect corner_;
};

}  // namespace Orvel
