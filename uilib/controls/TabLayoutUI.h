#pragma once
#include "ContainerUI.h"

namespace Orvel {

// Shows exactly one of its children, the selected page, over its client
// area, and switches pages on request, sending "tabselect" (wParam the new
// index, lParam the old one).
class CTabLayoutUI : public CContainerUI {
public:
    CTabLayoutUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    // The first visible page added becomes the selected one; every other
    // page is hidden.
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    // Removing the selected page selects page 0.
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;
    void Place(const RECT& rect, bool invalidate = true) override;

    // False for an index outside the pages; true at once for the current one.
    virtual bool SelectItem(int index);
    // False when the control is not a page.
    virtual bool SelectItem(CControlUI* control);

    // -1 while there is no page.
    int SelectedIndex() const { return selected_; }

protected:
    // "selectedid".
    void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) override;

private:
    int selected_;
};

}  // namespace Orvel
