#pragma once
#include "ProgressUI.h"

namespace Orvel {

// A progress bar with a thumb the user drags, clicks or wheels to set the
// value. "valuechanged" follows a release or a wheel notch; while dragging,
// "movevaluechanged" follows each move when asked for ("sendmove").
class CSliderUI : public CProgressUI {
public:
    // Thumb state bits.
    enum : UINT {
        ThumbHot = 0x08,
        ThumbCaptured = 0x40,
    };

    CSliderUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    // Disabling clears the thumb state.
    void SetEnabled(bool enabled = true) override;
    void ProcessEvent(UiEvent& event) override;
    // The progress's fill, then the thumb in its state's image.
    void DrawForeImage(HDC dc) override;

    // The thumb in window coordinates, for the current value.
    CUiRect ThumbRect() const;
    // The value a press at `point` (window coordinates) stands for.
    int ValueAt(POINT point) const;

    UINT ThumbState() const { return thumbState_; }
    // Unscaled, as written in markup.
    CUiSize ThumbSize() const { return thumbSize_; }
    void SetThumbSize(int cx, int cy);
    int Step() const { return step_; }
    void SetStep(int step);
    bool SendsMove() const { return sendMove_; }
    void SetSendMove(bool sendMove);
    void SetThumbImage(const wchar_t* image);
    void SetThumbHotImage(const wchar_t* image);
    void SetThumbPushedImage(const wchar_t* image);

protected:
    void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) override;

private:
    void SetImage(CUiString& field, const wchar_t* image);
    void SetHot(bool hot);
    void Notify(const wchar_t* type);

    CUiSize thumbSize_;
    UINT thumbState_;
    int step_;
    CUiString thumbImage_;
    CUiString thumbHotImage_;
    CUiString thumbPushedImage_;
    CUiString drawModifier_;  // the thumb's "dest" text of the last paint
    bool sendMove_;
};

}  // namespace Orvel
