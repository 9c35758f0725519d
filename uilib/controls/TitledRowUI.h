#pragma once
#include "HorizontalLayoutUI.h"
#include "UiTextLook.h"

namespace Orvel {

// A horizontal layout led by its text: the text, drawn as a label draws it
// and with the label's text attributes, takes the room it needs at the
// left, and the children share the rest. The row and heading elements of
// lists, menus and trees, which have no behaviour of their own here, show
// this way.
class CTitledRowUI : public CHorizontalLayoutUI {
public:
    // The room the text takes is added to the inset at the left.
    CUiRect Inset() const override;
    // Measures the text for the room it takes.
    void Place(const RECT& rect, bool invalidate = true) override;
    // Without a fixed height a row with a text is one line of it high.
    CUiSize MeasureSize(const SIZE& available) override;
    void DrawTextContent(HDC dc) override;
    void SetText(const wchar_t* text) override;

protected:
    CTitledRowUI() = default;
    void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) override;

private:
    UiTextLook look_;
    int titleWidth_ = 0;  // scaled, from the last placement
};

}  // namespace Orvel
