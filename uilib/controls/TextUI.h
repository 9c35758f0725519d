#pragma once
#include "LabelUI.h"

namespace Orvel {

// A label for multi-line text that, with "showhtml", holds up to eight
// links (inline <a> tags). It keeps where the last paint laid each link
// out, shows the hand over them, repaints the link under the pointer in the
// window's link-hover colour, and reports a release over a link as "link"
// (wParam = the link's index) and anywhere else as "click".
class CTextUI : public CLabelUI {
public:
    static constexpr int kMaxLinks = 8;

    CTextUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    // Wants SetCursor events while enabled and showing links.
    UINT TraitFlags() const override;
    void ProcessEvent(UiEvent& event) override;
    // With auto width the text's width becomes the fixed width; the size is
    // the base control's.
    CUiSize MeasureSize(const SIZE& available) override;
    void DrawTextContent(HDC dc) override;

    // Links laid out by the last paint; none for plain text.
    int LinkCount() const { return linkCount_; }
    // Window coordinates; empty for an index past LinkCount().
    CUiRect LinkRect(int index) const;
    CUiString LinkTarget(int index) const;
    // -1 when the pointer is over no link.
    int HoveredLink() const { return hoveredLink_; }

protected:
    // "cursor" is a platform cursor number here, not a keyword.
    void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) override;

private:
    // The first link whose rectangle holds the point, or -1.
    int LinkAt(POINT point) const;
    void Notify(const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0);

    int linkCount_;
    RECT linkRects_[kMaxLinks];
    CUiString linkTargets_[kMaxLinks];
    int hoveredLink_;
};

}  // namespace Orvel
