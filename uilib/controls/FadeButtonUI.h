#pragma once
#include "ButtonUI.h"
#include "UIAnimation.h"

namespace Orvel {

// A button that cross-fades from its normal to its hot image when the
// pointer enters, and back when it leaves, in 30 steps of 10 milliseconds.
class CFadeButtonUI : public CButtonUI, public CUIAnimation {
public:
    // Animation ids, which are also the ids of their timers.
    enum : int {
        FadeInId = 8,
        FadeOutId = 9,
    };

    CFadeButtonUI();
    ~CFadeButtonUI() override;

    const wchar_t* ClassName() const override;
    // "FadeButton" compared case-sensitively, then the button's names.
    void* CastTo(const wchar_t* name) override;
    void ProcessEvent(UiEvent& event) override;
    void DrawStateImage(HDC dc) override;
    // The image shown at rest becomes the new normal image too.
    void SetNormalImage(const wchar_t* image) override;

    void OnAnimationStep(int totalFrames, int currentFrame, int id) override;

    // The alpha of the image faded in, 0 to 255.
    BYTE Fade() const { return fade_; }

private:
    // The first frame of a fade after the pointer came or went.
    bool StartFade(bool& flag, int id, int otherId);
    bool DrawFaded(HDC dc, const CUiString& image, int alpha);

    CUiString oldImage_;
    CUiString newImage_;
    CUiString lastImage_;
    BYTE fade_;
    bool entered_;
    bool left_;
};

}  // namespace Orvel
