#include "FadeButtonUI.h"

#include "PaintManagerUI.h"

#include <cwchar>
#include <utility>

namespace Orvel {

namespace {

constexpr int kFadeElapse = 10;
constexpr int kFadeFrames = 30;

}  // namespace

CFadeButtonUI::CFadeButtonUI() : CUIAnimation(this), fade_(0), entered_(false), left_(false) {}

CFadeButtonUI::~CFadeButtonUI() {
    StopAnimation(0);
}

const wchar_t* CFadeButtonUI::ClassName() const {
    return L"FadeButtonUI";
}

void* CFadeButtonUI::CastTo(const wchar_t* name) {
    if (name != nullptr && wcscmp(name, L"FadeButton") == 0) {
        return static_cast<CFadeButtonUI*>(this);
    }
    return CButtonUI::CastTo(name);
}

bool CFadeButtonUI::StartFade(bool& flag, int id, int otherId) {
    if (IsAnimationRunning(id)) {
        return false;
    }
    fade_ = 0;
    flag = true;
    StopAnimation(otherId);
    StartAnimation(kFadeElapse, kFadeFrames, id, false);
    Invalidate();
    return true;
}

// Entering and leaving start the fades instead of the button's hover
// handling; repeated while its fade runs, the event is the button's.
void CFadeButtonUI::ProcessEvent(UiEvent& event) {
    switch (event.type) {
    case UiEventType::MouseEnter:
        if (StartFade(entered_, FadeInId, FadeOutId)) {
            return;
        }
        break;
    case UiEventType::MouseLeave:
        if (StartFade(left_, FadeOutId, FadeInId)) {
            return;
        }
        break;
    case UiEventType::Timer:
        OnAnimationTimer(static_cast<int>(event.wParam));
        break;
    default:
        break;
    }
    CButtonUI::ProcessEvent(event);
}

void CFadeButtonUI::SetNormalImage(const wchar_t* image) {
    CButtonUI::SetNormalImage(image);
    lastImage_ = image;
}

void CFadeButtonUI::OnAnimationStep(int totalFrames, int currentFrame, int) {
    const int fade = static_cast<int>(static_cast<double>(currentFrame) / totalFrames * 255.0);
    fade_ = static_cast<BYTE>(fade);
    if (fade_ == 0) {
        fade_ = 10;
    }
    Invalidate();
}

bool CFadeButtonUI::DrawFaded(HDC dc, const CUiString& image, int alpha) {
    CUiString modify;
    modify.FormatShort(L"fade='%d'", alpha);
    return DrawImage(dc, image, modify);
}

void CFadeButtonUI::DrawStateImage(HDC dc) {
    // The button's own state, as it refreshes it: a disabled window leaves
    // only the disabled look.
    HWND window = manager_ != nullptr ? manager_->WindowHandle() : nullptr;
    const bool windowEnabled = window == nullptr || IsWindowEnabled(window);
    if (!IsEnabled()) {
        if (!DisabledImage().IsEmpty()) {
            DrawImage(dc, DisabledImage());
        }
        return;
    }
    if (windowEnabled && (State() & StatePushed) != 0) {
        if (!PushedImage().IsEmpty()) {
            DrawImage(dc, PushedImage());
        }
        return;
    }
    if (windowEnabled && HasFocus() && !FocusedImage().IsEmpty() && DrawImage(dc, FocusedImage())) {
        return;
    }
    if (NormalImage().IsEmpty()) {
        return;
    }
    if (!IsAnimationRunning(FadeInId) && !IsAnimationRunning(FadeOutId)) {
        DrawImage(dc, lastImage_.IsEmpty() ? NormalImage() : lastImage_);
        return;
    }
    if (entered_) {
        entered_ = false;
        lastImage_ = HotImage();
        DrawImage(dc, NormalImage());
    } else if (left_) {
        left_ = false;
        lastImage_ = NormalImage();
        DrawImage(dc, HotImage());
    } else {
        oldImage_ = NormalImage();
        newImage_ = HotImage();
        if (IsAnimationRunning(FadeOutId)) {
            std::swap(oldImage_, newImage_);
        }
        DrawFaded(dc, oldImage_, 255 - fade_);
        DrawFaded(dc, newImage_, fade_);
    }
}

}  // namespace Orvel
