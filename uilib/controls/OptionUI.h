#pragma once
#include "ButtonUI.h"

namespace Orvel {

// A button with a selected state and a second look while selected. Options
// that share a group name within one window are radio buttons: selecting
// one deselects the others. An option without a group toggles on every
// activation.
class COptionUI : public CButtonUI {
public:
    COptionUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    // "click" first; then an option without a group toggles and a grouped
    // one is selected.
    bool TryActivate() override;
    // Joins the window's group when initialised.
    void Attach(CPaintManagerUI* manager, CControlUI* parent, bool initialize) override;
    // Disabling keeps only the selected bit of the state.
    void SetEnabled(bool enabled = true) override;
    void DrawBackColor(HDC dc) override;
    void DrawStateImage(HDC dc) override;
    void DrawForeImage(HDC dc) override;
    void DrawTextContent(HDC dc) override;

    // Selecting a grouped option deselects the rest of its group; only the
    // option that becomes selected sends "selectchanged", while an option
    // without a group sends it on both changes.
    virtual void Select(bool selected = true);

    bool IsSelected() const { return selected_; }
    const CUiString& Group() const { return group_; }
    // Null or empty for no group. A selected option deselects the selected
    // member of its new group.
    void SetGroup(const wchar_t* name);
    // Looks while selected; colours are 0xAARRGGBB, 0 for none.
    const CUiString& SelectedImage() const { return selectedImage_; }
    void SetSelectedImage(const wchar_t* image);
    const CUiString& SelectedHotImage() const { return selectedHotImage_; }
    void SetSelectedHotImage(const wchar_t* image);
    const CUiString& SelectedPushedImage() const { return selectedPushedImage_; }
    void SetSelectedPushedImage(const wchar_t* image);
    const CUiString& SelectedForeImage() const { return selectedForeImage_; }
    void SetSelectedForeImage(const wchar_t* image);
    DWORD SelectedBkColor() const { return selectedBkColor_; }
    void SetSelectedBkColor(DWORD argb) { selectedBkColor_ = argb; }
    DWORD SelectedTextColor() const { return selectedTextColor_; }
    void SetSelectedTextColor(DWORD argb) { selectedTextColor_ = argb; }

protected:
    void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) override;
    // Select with the wParam "selectchanged" carries.
    void ChangeSelection(bool selected, WPARAM notifyParam);

private:
    // Every other option of the group is deselected.
    void DeselectOthers();

    bool selected_;
    CUiString group_;
    DWORD selectedBkColor_;
    DWORD selectedTextColor_;
    CUiString selectedImage_;
    CUiString selectedHotImage_;
    CUiString selectedPushedImage_;
    CUiString selectedForeImage_;
};

}  // namespace Orvel
