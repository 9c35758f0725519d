#pragma once
#include "ContainerUI.h"
#include "UiTextLook.h"

namespace Orvel {

// A drop-down list's place in markup. There is no drop-down window or
// selection: the combo shows as a label of its text, or of its first item's
// when it has none of its own (with the label's text attributes). It keeps
// its items, for the application, without laying them out or showing them.
class CComboUI : public CContainerUI {
public:
    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    // Places the combo only.
    void Place(const RECT& rect, bool invalidate = true) override;
    // The items are reached only by a walk without flags (the name map).
    CControlUI* FindBy(FindControlProc visitor, void* data, UINT flags) override;
    // The combo's own paint steps, without the items.
    void Paint(HDC dc, const RECT& paintRect) override;
    // Without a fixed height: one line of text.
    CUiSize MeasureSize(const SIZE& available) override;
    void DrawTextContent(HDC dc) override;

    // Its own text, else its first item's.
    CUiString ShownText() const;

protected:
    void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) override;

private:
    UiTextLook look_;
};

}  // namespace Orvel
