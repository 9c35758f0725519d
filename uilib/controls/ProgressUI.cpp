#include "ProgressUI.h"

#include "PaintManagerUI.h"
#include "UiRender.h"
#include "UiValueParser.h"

#include <cwchar>

namespace Orvel {

namespace {

// part × whole / range, truncated; wide enough for any int range.
int Share(long long part, int whole, long long range) {
    return static_cast<int>(part * whole / range);
}

}  // namespace

CProgressUI::CProgressUI() : horizontal_(true), stretchFore_(true), maximum_(100), minimum_(0), value_(0) {
    look_.style = DT_SINGLELINE | DT_CENTER;
    fixedHeight_ = 12;
}

const wchar_t* CProgressUI::ClassName() const {
    return L"ProgressUI";
}

void* CProgressUI::CastTo(const wchar_t* name) {
    if (Is(name, L"Progress")) {
        return this;
    }
    return CLabelUI::CastTo(name);
}

void CProgressUI::ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"hor")) {
        SetHorizontal(ParseBoolValue(value));
    } else if (Is(name, L"min")) {
        SetMinimum(ParseInt(value));
    } else if (Is(name, L"max")) {
        SetMaximum(ParseInt(value));
    } else if (Is(name, L"value")) {
        SetValue(ParseInt(value));
    } else if (Is(name, L"isstretchfore")) {
        SetStretchFore(ParseBoolValue(value));
    } else {
        CLabelUI::ApplyOwnAttribute(name, value);
    }
}

void CProgressUI::UpdateText() {}

void CProgressUI::SetHorizontal(bool horizontal) {
    if (horizontal_ != horizontal) {
        horizontal_ = horizontal;
        Invalidate();
    }
}

void CProgressUI::SetStretchFore(bool stretch) {
    if (stretchFore_ != stretch) {
        stretchFore_ = stretch;
        Invalidate();
    }
}

void CProgressUI::SetMinimum(int minimum) {
    minimum_ = minimum;
    Invalidate();
}

void CProgressUI::SetMaximum(int maximum) {
    maximum_ = maximum;
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    if (value == value_ || value < minimum_ || value > maximum_) {
        return;
    }
    value_ = value;
    Invalidate();
    UpdateText();
}

void CProgressUI::NormalizeRange() {
    if (minimum_ >= maximum_) {
        maximum_ = minimum_ + 1;
    }
    if (value_ > maximum_) {
        value_ = maximum_;
    }
    if (value_ < minimum_) {
        value_ = minimum_;
    }
}

CUiRect CProgressUI::FilledPart() const {
    const int width = itemRect_.Width();
    const int height = itemRect_.Height();
    const long long range = static_cast<long long>(maximum_) - minimum_;
    if (horizontal_) {
        return CUiRect(0, 0, Share(static_cast<long long>(value_) - minimum_, width, range), height);
    }
    return CUiRect(0, Share(static_cast<long long>(maximum_) - value_, height, range), width, height);
}

void CProgressUI::DrawForeColor(HDC dc) {
    NormalizeRange();
    if (foreColor_ == 0) {
        return;
    }
    // Vertical bars fill from the bottom, as their fore image does.
    CUiRect filled = FilledPart();
    filled.Offset(itemRect_.left, itemRect_.top);
    CUiRender::FillColor(dc, filled, AdjustColor(foreColor_));
}

void CProgressUI::DrawForeImage(HDC dc) {
    NormalizeRange();
    if (foreImage_.IsEmpty()) {
        return;
    }
    // "dest" is written in markup units; the image string scales it again.
    CUiRect filled = FilledPart();
    if (manager_ != nullptr) {
        const CUiDpiScale& scale = manager_->DpiScale();
        filled = CUiRect(scale.UnscaleValue(filled.left), scale.UnscaleValue(filled.top),
                         scale.UnscaleValue(filled.right), scale.UnscaleValue(filled.bottom));
    }
    if (stretchFore_) {
        foreModifier_.FormatShort(L"dest='%d,%d,%d,%d'", filled.left, filled.top, filled.right, filled.bottom);
    } else {
        foreModifier_.FormatShort(L"dest='%d,%d,%d,%d' source='%d,%d,%d,%d'", filled.left, filled.top, filled.right,
                                  filled.bottom, filled.left, filled.top, filled.right, filled.bottom);
    }
    DrawImage(dc, foreImage_, foreModifier_);
}

}  // namespace Orvel
