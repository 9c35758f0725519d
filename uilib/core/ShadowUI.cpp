#include "ShadowUI.h"

#include "PaintManagerUI.h"
#include "UiDrawInfo.h"
#include "UiDynamicCalls.h"
#include "UiImageInfo.h"
#include "UiRender.h"
#include "UiScopedHandles.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace Orvel {

const wchar_t CShadowUI::kWindowClass[] = L"OrvelShadowWnd";

namespace {

// The subclassed parent windows. An entry outlives its shadow object when the
// window could not be unsubclassed, so that messages still reach the
// window's own procedure.
struct Subclass {
    CShadowUI* shadow;  // not owned; null once the shadow object is gone
    WNDPROC previous;
};

std::map<HWND, Subclass>& Subclasses() {
    // Never destroyed: windows may still be torn down during process exit.
    static auto* subclasses = new std::map<HWND, Subclass>();
    return *subclasses;
}

// A row of a window's shape: the leftmost and rightmost pixel inside it.
struct Span {
    int left;
    int right;
    bool IsEmpty() const { return left > right; }
};

constexpr Span kEmptySpan = {1 << 20, -(1 << 20)};

std::vector<Span> ShapeRows(HWND parent, int width, int height) {
    std::vector<Span> rows(static_cast<size_t>(height), kEmptySpan);
    ScopedGdiObject<HRGN> region(CreateRectRgn(0, 0, 0, 0));
    const int kind = region ? GetWindowRgn(parent, region.Get()) : ERROR;
    for (int y = 0; y < height; ++y) {
        // A window without a region of its own is its rectangle.
        if (kind == ERROR) {
            rows[y] = Span{0, width - 1};
            continue;
        }
        int left = 0;
        while (left < width && !PtInRegion(region.Get(), left, y)) {
            ++left;
        }
        if (left == width) {
            continue;
        }
        int right = width - 1;
        while (right > left && !PtInRegion(region.Get(), right, y)) {
            --right;
        }
        rows[y] = Span{left, right};
    }
    return rows;
}

// Erodes the shape by one pixel in every direction.
void ShrinkRows(std::vector<Span>& rows) {
    const std::vector<Span> old = rows;
    const int count = static_cast<int>(rows.size());
    for (int y = 0; y < count; ++y) {
        const Span& above = y > 0 ? old[y - 1] : kEmptySpan;
        const Span& below = y + 1 < count ? old[y + 1] : kEmptySpan;
        Span span = {1 + std::max({above.left, old[y].left, below.left}),
                     std::min({above.right, old[y].right, below.right}) - 1};
        rows[y] = span.IsEmpty() ? kEmptySpan : span;
    }
}

DWORD Premultiplied(DWORD rgb, int alpha) {
    const DWORD red = ((rgb >> 16) & 0xFF) * alpha / 255;
    const DWORD green = ((rgb >> 8) & 0xFF) * alpha / 255;
    const DWORD blue = (rgb & 0xFF) * alpha / 255;
    return static_cast<DWORD>(alpha) << 24 | red << 16 | green << 8 | blue;
}

// A bottom-up 32-bit bitmap addressed by rows from the top.
class ShadowPixels {
public:
    ShadowPixels(DWORD* bits, int width, int height) : bits_(bits), width_(width), height_(height) {}
    int Width() const { return width_; }
    int Height() const { return height_; }
    DWORD* Row(int y) const { return bits_ + static_cast<size_t>(height_ - 1 - y) * width_; }
    void Fill(int y, int from, int to, DWORD pixel) const {
        from = std::max(from, 0);
        to = std::min(to, width_ - 1);
        DWORD* row = Row(y);
        for (int x = from; x <= to; ++x) {
            row[x] = pixel;
        }
    }
    // Keeps the larger of each present pixel and the brush's.
    void Stamp(int x, int y, const std::vector<DWORD>& brush, int radius) const {
        const int side = 2 * radius + 1;
        for (int by = 0; by < side; ++by) {
            const int py = y + by - radius;
            if (py < 0 || py >= height_) {
                continue;
            }
            DWORD* row = Row(py);
            const DWORD* source = &brush[static_cast<size_t>(by) * side];
            for (int bx = 0; bx < side; ++bx) {
                const int px = x + bx - radius;
                if (px >= 0 && px < width_ && source[bx] > row[px]) {
                    row[px] = source[bx];
                }
            }
        }
    }

private:
    DWORD* bits_;  // not owned
    int width_;
    int height_;
};

}  // namespace

CShadowUI::~CShadowUI() {
    auto& subclasses = Subclasses();
    auto entry = subclasses.find(parent_);
    if (parent_ != nullptr && entry != subclasses.end() && entry->second.shadow == this) {
        const LONG_PTR ours = reinterpret_cast<LONG_PTR>(&CShadowUI::ParentProc);
        if (IsWindow(parent_) && GetWindowLongPtrW(parent_, GWLP_WNDPROC) == ours) {
            SetWindowLongPtrW(parent_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry->second.previous));
            subclasses.erase(entry);
        } else {
            // Someone subclassed the window after us: keep forwarding.
            entry->second.shadow = nullptr;
        }
    }
    if (window_ != nullptr && IsWindow(window_)) {
        DestroyWindow(window_);
    }
}

bool CShadowUI::RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance != nullptr ? instance : GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CShadowUI::SetShadowSize(int size) {
    if (size < -20 || size > 20) {
        return false;
    }
    size_ = static_cast<signed char>(size);
    Redraw();
    return true;
}

bool CShadowUI::SetShadowSharpness(int sharpness) {
    if (sharpness < 0 || sharpness > 20) {
        return false;
    }
    sharpness_ = static_cast<BYTE>(sharpness);
    Redraw();
    return true;
}

bool CShadowUI::SetShadowDarkness(int darkness) {
    if (darkness < 0 || darkness > 255) {
        return false;
    }
    darkness_ = static_cast<BYTE>(darkness);
    Redraw();
    return true;
}

bool CShadowUI::SetShadowOffset(int x, int y) {
    if (x < -20 || x > 20 || y < -20 || y > 20) {
        return false;
    }
    offsetX_ = static_cast<signed char>(x);
    offsetY_ = static_cast<signed char>(y);
    Redraw();
    return true;
}

bool CShadowUI::SetShadowColor(DWORD rgb) {
    color_ = rgb;
    Redraw();
    return true;
}

bool CShadowUI::SetShadowImage(const wchar_t* image) {
    if (image == nullptr) {
        return false;
    }
    image_ = image;
    imageMode_ = true;
    Redraw();
    return true;
}

bool CShadowUI::SetShadowCorner(const RECT& corner) {
    if (corner.left < 0 || corner.top < 0 || corner.right < 0 || corner.bottom < 0) {
        return false;
    }
    corner_ = corner;
    Redraw();
    return true;
}

void CShadowUI::CopyShadowTo(CShadowUI& other) const {
    if (imageMode_) {
        other.SetShadowImage(image_);
        other.SetShadowCorner(corner_);
    } else {
        other.SetShadowSize(size_);
        other.SetShadowSharpness(sharpness_);
        other.SetShadowDarkness(darkness_);
        other.SetShadowColor(color_);
        other.SetShadowOffset(offsetX_, offsetY_);
    }
    other.SetShadowShown(shown_);
}

void CShadowUI::Redraw() {
    if (window_ != nullptr && (status_ & Visible) != 0 && parent_ != nullptr) {
        Regenerate(parent_);
    }
}

void CShadowUI::CreateShadowFor(CPaintManagerUI* manager) {
    // A window is followed once; subclassing it twice would loop forever.
    if (!shown_ || manager == nullptr || manager->WindowHandle() == nullptr || window_ != nullptr) {
        return;
    }
    HWND parent = manager->WindowHandle();
    auto& subclasses = Subclasses();
    if (subclasses.count(parent) != 0) {
        return;
    }
    try {
        subclasses[parent] = Subclass{this, nullptr};
    } catch (...) {
        return;
    }
    manager_ = manager;
    parent_ = parent;
    const DWORD caption = static_cast<DWORD>(GetWindowLongPtrW(parent, GWL_STYLE)) & WS_CAPTION;
    HINSTANCE instance = CPaintManagerUI::Instance() != nullptr ? CPaintManagerUI::Instance() : GetModuleHandleW(nullptr);
    window_ = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT, kWindowClass, nullptr, WS_POPUPWINDOW | caption,
                              CW_USEDEFAULT, 0, 0, 0, parent, nullptr, instance, nullptr);
    if (!IsWindowVisible(parent)) {
        status_ = Enabled;
    } else if (IsIconic(parent) || IsZoomed(parent)) {
        status_ = Enabled | ParentVisible;
    } else {
        status_ = Enabled | Visible | ParentVisible;
        Show(true);
        Regenerate(parent);
    }
    subclasses[parent].previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CShadowUI::ParentProc)));
}

LRESULT CALLBACK CShadowUI::ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        auto& subclasses = Subclasses();
        auto entry = subclasses.find(window);
        if (entry == subclasses.end()) {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        WNDPROC previous = entry->second.previous;
        if (entry->second.shadow != nullptr) {
            entry->second.shadow->OnParentMessage(window, message, wParam, lParam);
        }
        if (message == WM_NCDESTROY) {
            subclasses.erase(window);
        }
        return CallWindowProcW(previous, window, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

void CShadowUI::OnParentMessage(HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_WINDOWPOSCHANGED:
        MoveToParent(parent);
        break;
    case WM_MOVE:
        if ((status_ & Visible) != 0) {
            MoveToParent(parent);
        }
        break;
    case WM_SIZE:
        if ((status_ & Enabled) == 0) {
            break;
        }
        if (wParam == SIZE_MINIMIZED || wParam == SIZE_MAXIMIZED) {
            Show(false);
            status_ &= ~Visible;
        } else if ((status_ & ParentVisible) != 0) {
            // Growing waits for the paint, so a resize drag does not rebuild
            // the bitmap for every step; shrinking must not show stale pixels.
            if (LOWORD(lParam) > LOWORD(lastParentSize_) || HIWORD(lParam) > HIWORD(lastParentSize_)) {
                updatePending_ = true;
            } else {
                Regenerate(parent);
            }
            if ((status_ & Visible) == 0) {
                Show(true);
                status_ |= Visible;
            }
        }
        lastParentSize_ = lParam;
        break;
    case WM_PAINT:
        if (updatePending_) {
            Regenerate(parent);
            updatePending_ = false;
        }
        break;
    case WM_EXITSIZEMOVE:
        if ((status_ & Visible) != 0) {
            Regenerate(parent);
        }
        break;
    case WM_SHOWWINDOW:
        if ((status_ & Enabled) == 0) {
            break;
        }
        if (wParam == FALSE) {
            Show(false);
            status_ &= ~(Visible | ParentVisible);
        } else if ((status_ & ParentVisible) == 0) {
            updatePending_ = true;
            Show(true);
            status_ |= Visible | ParentVisible;
        }
        break;
    case WM_DESTROY:
        if (window_ != nullptr && IsWindow(window_)) {
            DestroyWindow(window_);
        }
        window_ = nullptr;
        status_ = 0;
        break;
    case WM_NCDESTROY:
        parent_ = nullptr;
        break;
    default:
        break;
    }
}

POINT CShadowUI::ShadowOrigin(const RECT& parentRect) const {
    if (imageMode_) {
        return POINT{parentRect.left - size_, parentRect.top - size_};
    }
    return POINT{parentRect.left + offsetX_ - size_, parentRect.top + offsetY_ - size_};
}

void CShadowUI::MoveToParent(HWND parent) {
    RECT rect;
    if (window_ == nullptr || !GetWindowRect(parent, &rect)) {
        return;
    }
    const POINT origin = ShadowOrigin(rect);
    SetWindowPos(window_, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
}

void CShadowUI::Show(bool show) {
    if (window_ != nullptr) {
        ShowWindow(window_, show ? SW_SHOWNOACTIVATE : SW_HIDE);
    }
}

void CShadowUI::Regenerate(HWND parent) {
    if (!shown_ || (status_ & Visible) == 0 || window_ == nullptr) {
        return;
    }
    POINT origin = {};
    ScopedGdiObject<HBITMAP> bitmap(RenderShadow(parent, &origin));
    BITMAP info = {};
    if (!bitmap || GetObjectW(bitmap.Get(), sizeof(info), &info) == 0) {
        return;
    }
    ScopedMemoryDC memory(nullptr);
    if (memory.Get() == nullptr) {
        return;
    }
    ScopedSelectObject select(memory.Get(), bitmap.Get());
    MoveWindow(window_, origin.x, origin.y, info.bmWidth, info.bmHeight, FALSE);
    if (UpdateLayeredWindowProc update = DynUpdateLayeredWindow()) {
        SIZE size = {info.bmWidth, info.bmHeight};
        POINT source = {0, 0};
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        update(window_, nullptr, &origin, &size, memory.Get(), &source, 0, &blend, ULW_ALPHA);
    }
}

HBITMAP CShadowUI::RenderShadow(HWND parent, POINT* origin) {
    if (imageMode_ ? image_.IsEmpty() : size_ == 0) {
        return nullptr;
    }
    RECT parentRect;
    if (!GetWindowRect(parent, &parentRect)) {
        return nullptr;
    }
    const int width = parentRect.right - parentRect.left + 2 * size_;
    const int height = parentRect.bottom - parentRect.top + 2 * size_;
    if (width <= 0 || height <= 0) {
        return nullptr;
    }
    BYTE* bits = nullptr;
    ScopedGdiObject<HBITMAP> bitmap(CUiRender::CreateArgbBitmap(nullptr, width, height, &bits));
    if (!bitmap || bits == nullptr) {
        return nullptr;
    }
    if (imageMode_) {
        if (!DrawImage(bitmap.Get(), width, height)) {
            return nullptr;
        }
    } else {
        // A new DIB section starts out zeroed: fully transparent.
        DrawSilhouette(parent, reinterpret_cast<DWORD*>(bits), width, height);
    }
    GdiFlush();
    if (origin != nullptr) {
        *origin = ShadowOrigin(parentRect);
    }
    return bitmap.Release();
}

bool CShadowUI::DrawImage(HBITMAP bitmap, int width, int height) {
    if (manager_ == nullptr) {
        return false;
    }
    const UiDrawInfo* info = manager_->LookupDrawInfo(image_, nullptr);
    if (info == nullptr || info->name.IsEmpty()) {
        return false;
    }
    const wchar_t* type = info->resourceType.IsEmpty() ? nullptr : info->resourceType.Data();
    const UiImageInfo* image = manager_->FindOrLoadImage(info->name, type, 0, false);
    ScopedMemoryDC memory(nullptr);
    if (image == nullptr || image->bitmap == nullptr || memory.Get() == nullptr) {
        return false;
    }
    ScopedSelectObject select(memory.Get(), bitmap);
    const RECT whole = {0, 0, width, height};
    const RECT source = {0, 0, image->width, image->height};
    CUiRender::PaintImage(memory.Get(), image->bitmap, whole, whole, source, corner_, image->hasAlpha, 255, true);
    return true;
}

void CShadowUI::DrawSilhouette(HWND parent, DWORD* bits, int width, int height) const {
    const int size = size_;
    const int sharpness = sharpness_;
    const int parentHeight = height - 2 * size;
    const std::vector<Span> parentRows = ShapeRows(parent, width - 2 * size, parentHeight);

    // The shape in the bitmap's frame, shrunk so that the soft edge ends
    // `size` pixels outside the window whatever the sharpness.
    std::vector<Span> rows(static_cast<size_t>(height), kEmptySpan);
    for (int y = 0; y < parentHeight; ++y) {
        const int row = y + size;
        if (row >= 0 && row < height && !parentRows[y].IsEmpty()) {
            rows[row] = Span{parentRows[y].left + size, parentRows[y].right + size};
        }
    }
    for (int pass = size; pass < sharpness; ++pass) {
        ShrinkRows(rows);
    }

    const int radius = std::max(sharpness, size);
    const int solid = size > sharpness ? size - sharpness : 0;
    const int side = 2 * radius + 1;
    std::vector<DWORD> brush(static_cast<size_t>(side) * side, 0);
    for (int by = 0; by < side; ++by) {
        for (int bx = 0; bx < side; ++bx) {
            const double distance = std::sqrt(static_cast<double>((bx - radius) * (bx - radius) +
                                                                  (by - radius) * (by - radius)));
            int alpha = 0;
            if (distance < solid) {
                alpha = darkness_;
            } else if (distance <= radius) {
                // The nudge keeps 79.999... from x87 and 80 from SSE the same.
                alpha = static_cast<int>((1.0 - (distance - solid) / (sharpness + 1)) * darkness_ + 1e-9);
            }
            brush[static_cast<size_t>(by) * side + bx] = alpha > 0 ? Premultiplied(color_, alpha) : 0;
        }
    }

    const ShadowPixels pixels(bits, width, height);
    for (int y = 0; y < height; ++y) {
        const Span span = rows[y];
        if (span.IsEmpty()) {
            continue;
        }
        const Span& above = y > 0 ? rows[y - 1] : kEmptySpan;
        const Span& below = y + 1 < height ? rows[y + 1] : kEmptySpan;
        // Only the edge of the shape needs the brush; its inside is filled below.
        const int innerLeft = std::max({above.left, below.left, span.left + 1});
        const int innerRight = std::min({above.right, below.right, span.right - 1});
        for (int x = span.left; x <= span.right; ++x) {
            if (innerLeft <= innerRight && x >= innerLeft && x <= innerRight) {
                x = innerRight;
                continue;
            }
            pixels.Stamp(x, y, brush, radius);
        }
    }

    const DWORD full = Premultiplied(color_, darkness_);
    for (int y = 0; y < height; ++y) {
        if (!rows[y].IsEmpty()) {
            pixels.Fill(y, rows[y].left, rows[y].right, full);
        }
        // Nothing may darken the window itself.
        const int parentRow = y + offsetY_ - size;
        if (parentRow >= 0 && parentRow < parentHeight && !parentRows[parentRow].IsEmpty()) {
            pixels.Fill(y, size - offsetX_ + parentRows[parentRow].left, size - offsetX_ + parentRows[parentRow].right, 0);
        }
    }
}

}  // namespace Orvel
