#include "SliderUI.h"

#include "PaintManagerUI.h"
#include "UiValueParser.h"

#include <algorithm>
#include <cwchar>

namespace Orvel {

namespace {

// part × span / whole, truncated; 0 for a range or track with no length,
// which a slider may be given and must survive.
long long Share(long long part, long long span, long long whole) {
    return whole > 0 ? part * span / whole : 0;
}

}  // namespace

CSliderUI::CSliderUI() : thumbSize_(10, 10), thumbState_(0), step_(1), sendMove_(false) {
    look_.style = DT_SINGLELINE | DT_CENTER;
}

const wchar_t* CSliderUI::ClassName() const {
    return L"SliderUI";
}

void* CSliderUI::CastTo(const wchar_t* name) {
    if (Is(name, L"Slider")) {
        return this;
    }
    return CProgressUI::CastTo(name);
}

void CSliderUI::SetEnabled(bool enabled) {
    CProgressUI::SetEnabled(enabled);
    if (!IsEnabled()) {
        thumbState_ = 0;
    }
}

CUiRect CSliderUI::ThumbRect() const {
    const int tw = Scale(thumbSize_.cx);
    const int th = Scale(thumbSize_.cy);
    const long long range = static_cast<long long>(maximum_) - minimum_;
    const long long offset = static_cast<long long>(value_) - minimum_;
    const CUiRect& r = itemRect_;
    // A thumb longer than the slider stays at the start.
    if (horizontal_) {
        const int track = std::max(r.Width() - tw, 0);
        const int x = r.left + static_cast<int>(Share(offset, track, range));
        const int y = (r.bottom + r.top - th) / 2;
        return CUiRect(x, y, x + tw, y + th);
    }
    const int track = std::max(r.Height() - th, 0);
    const int x = (r.right + r.left - tw) / 2;
    const int y = r.bottom - th - static_cast<int>(Share(offset, track, range));
    return CUiRect(x, y, x + tw, y + th);
}

int CSliderUI::ValueAt(POINT point) const {
    const int halfWidth = Scale(thumbSize_.cx) / 2;
    const int halfHeight = Scale(thumbSize_.cy) / 2;
    const long long range = static_cast<long long>(maximum_) - minimum_;
    const CUiRect& r = itemRect_;
    if (horizontal_) {
        if (point.x >= r.right - halfWidth) {
            return maximum_;
        }
        if (point.x > r.left + halfWidth) {
            const int track = r.right - r.left - Scale(thumbSize_.cx);
            return static_cast<int>(minimum_ + Share(range, point.x - r.left - halfWidth, track));
        }
        return minimum_;
    }
    if (point.y >= r.bottom - halfHeight) {
        return minimum_;
    }
    if (point.y > r.top + halfHeight) {
        const int track = r.bottom - r.top - Scale(thumbSize_.cy);
        return static_cast<int>(minimum_ + Share(range, r.bottom - point.y - halfHeight, track));
    }
    return maximum_;
}

void CSliderUI::Notify(const wchar_t* type) {
    if (manager_ != nullptr) {
        manager_->SendNotify(this, type);
    }
}

void CSliderUI::SetHot(bool hot) {
    thumbState_ = hot ? (thumbState_ | ThumbHot) : (thumbState_ & ~ThumbHot);
    Invalidate();
}

void CSliderUI::ProcessEvent(UiEvent& event) {
    if (PassIgnoredMouseEvent(event)) {
        return;
    }
    const bool enabled = IsEnabled();
    switch (event.type) {
    case UiEventType::ButtonDown:
    case UiEventType::DoubleClick:
        if (!enabled) {
            break;
        }
        thumbState_ |= ThumbCaptured;
        {
            const int value = ValueAt(event.mousePoint);
            if (value != value_ && value >= minimum_ && value <= maximum_) {
                value_ = value;
                Invalidate();
            }
        }
        UpdateText();
        return;
    case UiEventType::ButtonUp:
    case UiEventType::RightButtonUp:
        if (!enabled) {
            break;
        }
        thumbState_ &= ~ThumbCaptured;
        {
            const int value = ValueAt(event.mousePoint);
            if (value >= minimum_ && value <= maximum_) {
                value_ = value;
                Notify(L"valuechanged");
                Invalidate();
            }
        }
        UpdateText();
        return;
    case UiEventType::CaptureLost:
        // The thumb stays where the drag left it, and the window hears of it.
        if (thumbState_ & ThumbCaptured) {
            thumbState_ &= ~ThumbCaptured;
            UpdateText();
            Notify(L"valuechanged");
            Invalidate();
        }
        return;
    case UiEventType::ContextMenu:
        return;
    case UiEventType::ScrollWheel:
        if (!enabled) {
            break;
        }
        // The value may stay (at an end of the range); the notch still counts.
        if (event.wParam == 0 || event.wParam == 1) {
            const long long target = static_cast<long long>(value_) + (event.wParam == 0 ? step_ : -step_);
            if (target >= minimum_ && target <= maximum_) {
                SetValue(static_cast<int>(target));
            }
            Notify(L"valuechanged");
        }
        return;
    case UiEventType::MouseMove:
        if (thumbState_ & ThumbCaptured) {
            value_ = ValueAt(event.mousePoint);
            if (sendMove_) {
                UpdateText();
                Notify(L"movevaluechanged");
            }
            Invalidate();
        }
        {
            const CUiRect thumb = ThumbRect();
            SetHot(enabled && PtInRect(&thumb, event.mousePoint));
        }
        return;
    case UiEventType::SetCursor:
        if (!enabled) {
            break;
        }
        ::SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return;
    case UiEventType::MouseLeave:
        if (!enabled) {
            break;
        }
        SetHot(false);
        return;
    default:
        break;
    }
    CProgressUI::ProcessEvent(event);
}

void CSliderUI::ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"thumbimage")) {
        SetThumbImage(value);
    } else if (Is(name, L"thumbhotimage")) {
        SetThumbHotImage(value);
    } else if (Is(name, L"thumbpushedimage")) {
        SetThumbPushedImage(value);
    } else if (Is(name, L"thumbsize")) {
        const CUiSize size = ParseSizeValue(value);
        SetThumbSize(size.cx, size.cy);
    } else if (Is(name, L"step")) {
        SetStep(ParseInt(value));
    } else if (Is(name, L"sendmove")) {
        SetSendMove(ParseBoolValue(value));
    } else {
        CProgressUI::ApplyOwnAttribute(name, value);
    }
}

void CSliderUI::DrawForeImage(HDC dc) {
    CProgressUI::DrawForeImage(dc);
    // "dest" is written in markup units; the image string scales it again.
    CUiRect thumb = ThumbRect();
    thumb.Offset(-itemRect_.left, -itemRect_.top);
    if (manager_ != nullptr) {
        const CUiDpiScale& scale = manager_->DpiScale();
        thumb = CUiRect(scale.UnscaleValue(thumb.left), scale.UnscaleValue(thumb.top),
                        scale.UnscaleValue(thumb.right), scale.UnscaleValue(thumb.bottom));
    }
    drawModifier_.FormatShort(L"dest='%d,%d,%d,%d'", thumb.left, thumb.top, thumb.right, thumb.bottom);
    const CUiString* image = (thumbState_ & ThumbCaptured) ? &thumbPushedImage_
                             : (thumbState_ & ThumbHot)    ? &thumbHotImage_
                                                           : nullptr;
    if (image != nullptr && !image->IsEmpty() && DrawImage(dc, *image, drawModifier_)) {
        return;
    }
    if (!thumbImage_.IsEmpty()) {
        DrawImage(dc, thumbImage_, drawModifier_);
    }
}

void CSliderUI::SetThumbSize(int cx, int cy) {
    thumbSize_ = CUiSize(cx, cy);
    Invalidate();
}

void CSliderUI::SetStep(int step) {
    step_ = step;
}

void CSliderUI::SetSendMove(bool sendMove) {
    sendMove_ = sendMove;
}

void CSliderUI::SetImage(CUiString& field, const wchar_t* image) {
    field = image;
    Invalidate();
}

void CSliderUI::SetThumbImage(const wchar_t* image) {
    SetImage(thumbImage_, image);
}

void CSliderUI::SetThumbHotImage(const wchar_t* image) {
    SetImage(thumbHotImage_, image);
}

void CSliderUI::SetThumbPushedImage(const wchar_t* image) {
    SetImage(thumbPushedImage_, image);
}

}  // namespace Orvel
