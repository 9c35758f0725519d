#include "TabLayoutUI.h"

#include "PaintManagerUI.h"
#include "UiValueParser.h"

#include <algorithm>

namespace Orvel {

CTabLayoutUI::CTabLayoutUI() : selected_(-1) {}

const wchar_t* CTabLayoutUI::ClassName() const {
    return L"TabLayoutUI";
}

void* CTabLayoutUI::CastTo(const wchar_t* name) {
    if (Is(name, L"TabLayout")) {
        return this;
    }
    return CContainerUI::CastTo(name);
}

// A page's own visibility counts, read before it joins: a page added to a
// hidden tab layout is not visible as a child, yet wants to be shown.
bool CTabLayoutUI::Add(CControlUI* control) {
    const bool visible = control != nullptr && control->IsVisible();
    if (!CContainerUI::AddAt(control, ItemCount())) {
        return false;
    }
    if (selected_ < 0 && visible) {
        selected_ = IndexOf(control);
    } else {
        control->SetVisible(false);
    }
    return true;
}

// A page inserted before the selected one moves the selection on; it is
// hidden as well, so that only the selected page shows.
bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
    const bool visible = control != nullptr && control->IsVisible();
    if (!CContainerUI::AddAt(control, index)) {
        return false;
    }
    const int at = IndexOf(control);
    if (selected_ < 0 && visible) {
        selected_ = at;
        return true;
    }
    if (selected_ >= 0 && at <= selected_) {
        ++selected_;
    }
    control->SetVisible(false);
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* control) {
    if (control == nullptr) {
        return false;
    }
    const int index = IndexOf(control);
    if (!CContainerUI::Remove(control)) {
        return false;
    }
    if (index == selected_) {
        if (ItemCount() > 0) {
            selected_ = 0;
            ItemAt(0)->SetVisible(true);
        } else {
            selected_ = -1;
        }
        RequestParentUpdate();
    } else if (index < selected_) {
        --selected_;
    }
    return true;
}

void CTabLayoutUI::RemoveAll() {
    selected_ = -1;
    CContainerUI::RemoveAll();
    RequestParentUpdate();
}

bool CTabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= ItemCount()) {
        return false;
    }
    if (index == selected_) {
        return true;
    }
    const int previous = selected_;
    selected_ = index;
    for (int i = 0; i < ItemCount(); ++i) {
        CControlUI* page = ItemAt(i);
        if (i == index) {
            page->SetVisible(true);
            page->TakeFocus();
        } else {
            page->SetVisible(false);
        }
    }
    Place(itemRect_, true);
    RequestParentUpdate();
    if (manager_ != nullptr) {
        manager_->MoveTabFocus(true);
        manager_->SendNotify(this, L"tabselect", static_cast<WPARAM>(index), static_cast<LPARAM>(previous));
    }
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* control) {
    const int index = IndexOf(control);
    return index >= 0 && SelectItem(index);
}

void CTabLayoutUI::Place(const RECT& rect, bool invalidate) {
    CControlUI::Place(rect, invalidate);
    const CUiRect area = InsideInset();
    for (int i = 0; i < items_.Count(); ++i) {
        CControlUI* page = LaidOutChild(i);
        if (page == nullptr || i != selected_) {
            continue;
        }
        const CUiRect pad = page->Padding();
        const CUiRect room(area.left + pad.left, area.top + pad.top, area.right - pad.right, area.bottom - pad.bottom);
        CUiSize size = page->MeasureSize(CUiSize(room.Width(), room.Height()));
        if (size.cx == 0) {
            size.cx = std::max(room.Width(), 0);
        }
        if (size.cy == 0) {
            size.cy = std::max(room.Height(), 0);
        }
        size.cx = std::min(std::max<int>(size.cx, page->MinWidth()), page->MaxWidth());
        size.cy = std::min(std::max<int>(size.cy, page->MinHeight()), page->MaxHeight());
        page->Place(CUiRect(room.left, room.top, room.left + size.cx, room.top + size.cy), true);
    }
}

void CTabLayoutUI::ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"selectedid")) {
        SelectItem(ParseInt(value));
    }
    CContainerUI::ApplyOwnAttribute(name, value);
}

}  // namespace Orvel
