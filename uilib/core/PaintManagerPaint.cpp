// The paint manager's painting side: the lazy layout pass, the off-screen
// and layered paint pipeline, printing, invalidation and the caret mark.
#include "PaintManagerUI.h"

#include "ControlUI.h"
#include "UiDynamicCalls.h"
#include "UiRender.h"
#include "UiScopedHandles.h"

#include <cstring>

namespace Orvel {

namespace {

// Flags of WM_PRINT for a child composed into a layered window.
constexpr LPARAM kComposePrintFlags = PRF_CHECKVISIBLE | PRF_CLIENT | PRF_CHILDREN | PRF_OWNED;
constexpr DWORD kUpdateRectColor = 0xFFFF0000;

CControlUI* CollectUpdate(CControlUI* control, void* data) {
    auto* found = static_cast<CUiPtrArray*>(data);
    // A container is offered twice in a row: for the update test and itself.
    const int count = found->Count();
    if (control->IsUpdateNeeded() && (count == 0 || found->At(count - 1) != control)) {
        found->Add(control);
    }
    return nullptr;
}

// Where a floating control's anchors and fixed offset put it in its parent.
CUiRect FloatingRect(const CControlUI& control) {
    const CControlUI* parent = control.Parent();
    if (parent == nullptr) {
        return control.ItemRect();
    }
    const CUiRect& area = parent->ItemRect();
    const CUiSize offset = control.FixedOffset();
    const UiFloatAnchors anchors = control.FloatAnchors();
    const int width = area.Width();
    const int height = area.Height();
    return CUiRect(static_cast<int>(width * anchors.left) + offset.cx + area.left,
                   static_cast<int>(height * anchors.top) + offset.cy + area.top,
                   static_cast<int>(width * anchors.right) + offset.cx + control.FixedWidth() + area.left,
                   static_cast<int>(height * anchors.bottom) + offset.cy + control.FixedHeight() + area.top);
}

// Rows of a bottom-up 32-bit DIB, addressed from the top.
DWORD* BottomUpRow(DWORD* bits, int width, int height, int y) {
    return bits + static_cast<size_t>(height - 1 - y) * width;
}

}  // namespace

void CPaintManagerUI::InvalidateArea(const RECT& rect) {
    RECT area = rect;
    area.left = area.left < 0 ? 0 : area.left;
    area.top = area.top < 0 ? 0 : area.top;
    area.right = area.right < area.left ? area.left : area.right;
    area.bottom = area.bottom < area.top ? area.top : area.bottom;
    // UnionRect takes the other rectangle when one is empty: the dirty
    // rectangle starts empty after every layered update.
    UnionRect(&layeredDirty_, &layeredDirty_, &area);
    if (window_ != nullptr) {
        InvalidateRect(window_, &area, FALSE);
    }
}

void CPaintManagerUI::InvalidateAll() {
    RECT client = {};
    if (window_ != nullptr && GetClientRect(window_, &client)) {
        InvalidateArea(client);
    }
}

void CPaintManagerUI::OnPaint() {
    RECT update = {};
    if (!GetUpdateRect(window_, &update, FALSE)) {
        return;
    }
    if (root_ == nullptr) {
        PAINTSTRUCT paint;
        BeginPaint(window_, &paint);
        EndPaint(window_, &paint);
        return;
    }
    painting_ = true;
    bool rootPlaced = false;
    LayoutPass(rootPlaced);
    if (firstLayout_) {
        firstLayout_ = false;
        SendNotify(root_, L"windowinit");
        shadow_.Regenerate(window_);
    }
    if (focusNeeded_) {
        MoveTabFocus(true);
    }
    // A receiver of "windowinit" may have replaced or dropped the tree.
    if (root_ == nullptr) {
        painting_ = false;
        ValidateRect(window_, nullptr);
        return;
    }

    RECT client = {};
    GetClientRect(window_, &client);
    RECT paintRect = {};
    if (layered_) {
        const LONG_PTR exStyle = GetWindowLongPtrW(window_, GWL_EXSTYLE);
        if ((exStyle & WS_EX_LAYERED) == 0) {
            SetWindowLongPtrW(window_, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
        }
        offscreenPaint_ = true;
        GetUpdateRect(window_, &update, FALSE);
        UnionRect(&paintRect, &update, &layeredDirty_);
        IntersectRect(&paintRect, &paintRect, &client);
        layeredDirty_.Empty();
    }
    if (offscreenPaint_ && offscreenBitmap_ == nullptr && !IsRectEmpty(&client)) {
        offscreenDC_ = CreateCompatibleDC(paintDC_);
        BYTE* bits = nullptr;
        offscreenBitmap_ = CUiRender::CreateArgbBitmap(paintDC_, client.right, client.bottom, &bits);
        offscreenBits_ = reinterpret_cast<DWORD*>(bits);
        offscreenSize_ = CUiSize(client.right, client.bottom);
        if (offscreenDC_ == nullptr || offscreenBitmap_ == nullptr || bits == nullptr) {
            ReleaseOffscreen();
        } else {
            offscreenPrevious_ = SelectObject(offscreenDC_, offscreenBitmap_);
        }
    }

    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    if (!layered_) {
        paintRect = paint.rcPaint;
    }
    if (offscreenPaint_ && offscreenBitmap_ != nullptr) {
        PaintOffscreen(dc, paintRect);
    } else {
        const int saved = SaveDC(dc);
        root_->Paint(dc, paintRect);
        for (int i = 0; i < postPaint_.Count(); ++i) {
            static_cast<CControlUI*>(postPaint_.At(i))->PaintAfterChildren(dc, paintRect);
        }
        RestoreDC(dc, saved);
        if (showUpdateRect_) {
            CUiRender::StrokeRect(dc, paintRect, 1, kUpdateRectColor);
        }
    }
    EndPaint(window_, &paint);
    // A control that asks for layout while it paints invalidates itself,
    // which brings the next paint; only a request that invalidated nothing
    // needs one made here.
    if (updateNeeded_ && !GetUpdateRect(window_, nullptr, FALSE)) {
        InvalidateAll();
    }
    painting_ = false;
    if (rootPlaced) {
        SendNotify(root_, L"windowsize", 0, 0, true);
    }
}

void CPaintManagerUI::LayoutPass(bool& rootPlaced) {
    if (!updateNeeded_) {
        return;
    }
    updateNeeded_ = false;
    RECT client = {};
    GetClientRect(window_, &client);
    if (IsRectEmpty(&client) || IsIconic(window_)) {
        return;
    }
    if (root_->IsUpdateNeeded()) {
        // The size may have changed.
        ReleaseOffscreen();
        root_->Place(client, true);
        rootPlaced = true;
        return;
    }
    foundControls_.Clear();
    root_->FindBy(CollectUpdate, &foundControls_, UiFindVisible | UiFindUpdateTest | UiFindMeFirst);
    for (int i = 0; i < foundControls_.Count(); ++i) {
        auto* control = static_cast<CControlUI*>(foundControls_.At(i));
        // A container found earlier in this pass has placed it already.
        if (!control->IsUpdateNeeded()) {
            continue;
        }
        control->Place(control->IsFloating() ? FloatingRect(*control) : control->ItemRect(), true);
    }
    foundControls_.Clear();
}

void CPaintManagerUI::PaintOffscreen(HDC windowDC, const RECT& paintRect) {
    const int saved = SaveDC(offscreenDC_);
    if (layered_) {
        ClearLayeredPixels(paintRect);
    }
    root_->Paint(offscreenDC_, paintRect);
    for (int i = 0; i < postPaint_.Count(); ++i) {
        static_cast<CControlUI*>(postPaint_.At(i))->PaintAfterChildren(offscreenDC_, paintRect);
    }
    if (showUpdateRect_) {
        CUiRender::StrokeRect(offscreenDC_, paintRect, 1, kUpdateRectColor);
    }
    GdiFlush();
    if (layered_) {
        FixLayeredAlpha(paintRect);
    }
    ComposeNativeWindows(paintRect);
    RestoreDC(offscreenDC_, saved);
    if (layered_) {
        UpdateLayered();
    } else {
        BitBlt(windowDC, paintRect.left, paintRect.top, paintRect.right - paintRect.left,
               paintRect.bottom - paintRect.top, offscreenDC_, paintRect.left, paintRect.top, SRCCOPY);
    }
}

void CPaintManagerUI::ClearLayeredPixels(const RECT& paintRect) {
    CUiRect area = paintRect;
    if (!area.Intersect(CUiRect(0, 0, offscreenSize_.cx, offscreenSize_.cy))) {
        return;
    }
    GdiFlush();
    for (int y = area.top; y < area.bottom; ++y) {
        DWORD* row = BottomUpRow(offscreenBits_, offscreenSize_.cx, offscreenSize_.cy, y);
        memset(row + area.left, 0, static_cast<size_t>(area.Width()) * sizeof(DWORD));
    }
}

void CPaintManagerUI::FixLayeredAlpha(const RECT& paintRect) {
    CUiRect area = paintRect;
    if (!area.Intersect(CUiRect(0, 0, offscreenSize_.cx, offscreenSize_.cy))) {
        return;
    }
    // GDI leaves the alpha byte at 0 where it draws text and lines.
    for (int y = area.top; y < area.bottom; ++y) {
        DWORD* row = BottomUpRow(offscreenBits_, offscreenSize_.cx, offscreenSize_.cy, y);
        for (int x = area.left; x < area.right; ++x) {
            if ((row[x] & 0xFF000000) == 0 && (row[x] & 0x00FFFFFF) != 0) {
                row[x] |= 0xFF000000;
            }
        }
    }
}

void CPaintManagerUI::ComposeNativeWindows(const RECT& paintRect) {
    for (int i = nativeWindows_.Count() - 1; i >= 0; --i) {
        if (!IsWindow(static_cast<HWND>(nativeWindows_.At(i)))) {
            nativeWindows_.Remove(i);
        }
    }
    for (int i = 0; i < nativeWindows_.Count(); ++i) {
        HWND child = static_cast<HWND>(nativeWindows_.At(i));
        CUiRect rect;
        RECT overlap;
        if (!IsWindowVisible(child) || !GetWindowRect(child, &rect)) {
            continue;
        }
        MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
        if (!IntersectRect(&overlap, &rect, &paintRect)) {
            continue;
        }
        ScopedMemoryDC memory(offscreenDC_);
        BYTE* bits = nullptr;
        ScopedGdiObject<HBITMAP> bitmap(CUiRender::CreateArgbBitmap(offscreenDC_, rect.Width(), rect.Height(), &bits));
        if (memory.Get() == nullptr || !bitmap || bits == nullptr) {
            continue;
        }
        ScopedSelectObject select(memory.Get(), bitmap.Get());
        SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(memory.Get()), kComposePrintFlags);
        GdiFlush();
        auto* pixels = reinterpret_cast<DWORD*>(bits);
        const size_t count = static_cast<size_t>(rect.Width()) * rect.Height();
        for (size_t p = 0; p < count; ++p) {
            if (pixels[p] != 0) {
                pixels[p] |= 0xFF000000;
            }
        }
        BitBlt(offscreenDC_, rect.left, rect.top, rect.Width(), rect.Height(), memory.Get(), 0, 0, SRCCOPY);
    }
}

void CPaintManagerUI::UpdateLayered() {
    UpdateLayeredWindowProc update = DynUpdateLayeredWindow();
    RECT bounds;
    if (update == nullptr || !GetWindowRect(window_, &bounds)) {
        return;
    }
    POINT position = {bounds.left, bounds.top};
    SIZE size = offscreenSize_;
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, opacity_, AC_SRC_ALPHA};
    update(window_, nullptr, &position, &size, offscreenDC_, &source, 0, &blend, ULW_ALPHA);
}

void CPaintManagerUI::PrintClient(HDC dc, LPARAM flags) {
    if (root_ == nullptr || dc == nullptr) {
        return;
    }
    RECT client = {};
    GetClientRect(window_, &client);
    const int saved = SaveDC(dc);
    root_->Paint(dc, client);
    if ((flags & PRF_CHILDREN) != 0) {
        POINT origin = {};
        GetViewportOrgEx(dc, &origin);
        for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT rect;
            if (!GetWindowRect(child, &rect)) {
                continue;
            }
            MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
            SetViewportOrgEx(dc, origin.x + rect.left, origin.y + rect.top, nullptr);
            SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags | PRF_NONCLIENT);
        }
    }
    RestoreDC(dc, saved);
}

UiImageBlit CPaintManagerUI::ImageBlitContexts() {
    if (imageBlitDC_ == nullptr) {
        imageBlitDC_ = CreateCompatibleDC(nullptr);
    }
    if (cellBlitDC_ == nullptr) {
        cellBlitDC_ = CreateCompatibleDC(nullptr);
    }
    UiImageBlit blit;
    blit.imageDC = imageBlitDC_;
    blit.cellDC = cellBlitDC_;
    blit.cache = &scaledCells_;
    return blit;
}

void CPaintManagerUI::ReleaseOffscreen() {
    if (offscreenDC_ != nullptr) {
        if (offscreenPrevious_ != nullptr) {
            SelectObject(offscreenDC_, offscreenPrevious_);
        }
        DeleteDC(offscreenDC_);
    }
    if (offscreenBitmap_ != nullptr) {
        DeleteObject(offscreenBitmap_);
    }
    offscreenDC_ = nullptr;
    offscreenBitmap_ = nullptr;
    offscreenPrevious_ = nullptr;
    offscreenBits_ = nullptr;
    offscreenSize_ = CUiSize();
}

bool CPaintManagerUI::CreateCaret(HBITMAP bitmap, int width, int height) {
    caretRect_.right = caretRect_.left + width;
    caretRect_.bottom = caretRect_.top + height;
    return window_ != nullptr && ::CreateCaret(window_, bitmap, width, height) != FALSE;
}

void CPaintManagerUI::ShowCaret(bool show) {
    if (window_ == nullptr) {
        return;
    }
    if (show) {
        caretActive_ = true;
        ::SetTimer(window_, kCaretTimerId, GetCaretBlinkTime(), nullptr);
        if (!caretMarkShown_) {
            InvalidateArea(caretRect_);
            caretMarkShown_ = true;
        }
        return;
    }
    caretActive_ = false;
    ::KillTimer(window_, kCaretTimerId);
    if (caretMarkShown_) {
        InvalidateArea(caretRect_);
    }
    caretMarkShown_ = false;
}

void CPaintManagerUI::SetCaretPos(CControlUI* owner, int x, int y) {
    ::SetCaretPos(x, y);
    caretOwner_ = owner;
    InvalidateArea(caretRect_);
    caretRect_.Offset(x - caretRect_.left, y - caretRect_.top);
    InvalidateArea(caretRect_);
}

void CPaintManagerUI::ToggleCaretMark() {
    InvalidateArea(caretRect_);
    caretMarkShown_ = !caretMarkShown_;
}

}  // namespace Orvel
