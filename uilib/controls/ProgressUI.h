#pragma once
#include "LabelUI.h"

namespace Orvel {

// A label that fills the part of its rectangle that its value takes between
// a minimum and a maximum, with the fore colour and the fore image; left to
// right, or bottom up when not horizontal. The fore image is stretched into
// the filled part, or cropped to it.
class CProgressUI : public CLabelUI {
public:
    CProgressUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    void DrawForeColor(HDC dc) override;
    void DrawForeImage(HDC dc) override;

    // Called after every accepted change of the value.
    virtual void UpdateText();

    bool IsHorizontal() const { return horizontal_; }
    void SetHorizontal(bool horizontal);
    bool IsStretchFore() const { return stretchFore_; }
    void SetStretchFore(bool stretch);
    int Minimum() const { return minimum_; }
    void SetMinimum(int minimum);
    int Maximum() const { return maximum_; }
    void SetMaximum(int maximum);
    int Value() const { return value_; }
    // A value outside the minimum and the maximum is ignored.
    void SetValue(int value);

protected:
    void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) override;
    bool horizontal_;
    bool stretchFore_;
    int maximum_;
    int minimum_;
    int value_;

private:
    // Painting makes the range usable and keeps the corrections.
    void NormalizeRange();
    // The filled part, relative to the control's top-left corner.
    CUiRect FilledPart() const;

    CUiString foreModifier_;  // the "dest" text of the last paint
};

}  // namespace Orvel
