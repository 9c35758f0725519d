#include "TestControls.h"

#include "PaintManagerUI.h"

using namespace Orvel;

const char* EventName(UiEventType type) {
    switch (type) {
    case UiEventType::KeyDown: return "KeyDown";
    case UiEventType::KeyUp: return "KeyUp";
    case UiEventType::Char: return "Char";
    case UiEventType::SysKey: return "SysKey";
    case UiEventType::MouseMove: return "MouseMove";
    case UiEventType::MouseLeave: return "MouseLeave";
    case UiEventType::MouseEnter: return "MouseEnter";
    case UiEventType::MouseHover: return "MouseHover";
    case UiEventType::ButtonDown: return "ButtonDown";
    case UiEventType::ButtonUp: return "ButtonUp";
    case UiEventType::RightButtonDown: return "RightButtonDown";
    case UiEventType::RightButtonUp: return "RightButtonUp";
    case UiEventType::MiddleButtonDown: return "MiddleButtonDown";
    case UiEventType::MiddleButtonUp: return "MiddleButtonUp";
    case UiEventType::DoubleClick: return "DoubleClick";
    case UiEventType::ContextMenu: return "ContextMenu";
    case UiEventType::ScrollWheel: return "ScrollWheel";
    case UiEventType::KillFocus: return "KillFocus";
    case UiEventType::SetFocus: return "SetFocus";
    case UiEventType::WindowSize: return "WindowSize";
    case UiEventType::SetCursor: return "SetCursor";
    case UiEventType::Timer: return "Timer";
    case UiEventType::CaptureLost: return "CaptureLost";
    }
    return "?";
}

void NotifyLog::Notify(UiNotify& notify) {
    log.push_back(std::wstring(notify.type.Data()) + L":" +
                  (notify.sender != nullptr ? notify.sender->Name().Data() : L"-"));
}

RecordingControl::RecordingControl(const wchar_t* name, UINT traits) : traits_(traits) {
    SetName(name);
}

void RecordingControl::ProcessEvent(UiEvent& event) {
    events.push_back(EventName(event.type));
    received.push_back(event);
    CControlUI::ProcessEvent(event);
}

std::vector<UiEvent> RecordingControl::Of(UiEventType type) const {
    std::vector<UiEvent> found;
    for (const UiEvent& event : received) {
        if (event.type == type) {
            found.push_back(event);
        }
    }
    return found;
}

TestContainer::TestContainer(const wchar_t* name) {
    SetName(name);
}

TestContainer::~TestContainer() {
    for (CControlUI* child : children_) {
        delete child;
    }
}

void TestContainer::AddChild(CControlUI* child, const RECT& pos) {
    child->SetFixedOffset(pos.left, pos.top);
    child->SetFixedWidth(pos.right - pos.left);
    child->SetFixedHeight(pos.bottom - pos.top);
    children_.push_back(child);
    child->Attach(manager_, this, false);
}

void TestContainer::Attach(CPaintManagerUI* manager, CControlUI* parent, bool initialize) {
    CControlUI::Attach(manager, parent, initialize);
    for (CControlUI* child : children_) {
        child->Attach(manager, this, initialize);
    }
}

void TestContainer::Place(const RECT& rect, bool invalidate) {
    ++placeCount;
    CControlUI::Place(rect, invalidate);
    for (CControlUI* child : children_) {
        const CUiSize offset = child->FixedOffset();
        const int left = itemRect_.left + offset.cx;
        const int top = itemRect_.top + offset.cy;
        child->Place(RECT{left, top, left + child->FixedWidth(), top + child->FixedHeight()}, false);
    }
}

CControlUI* TestContainer::FindBy(FindControlProc visitor, void* data, UINT flags) {
    if (((flags & UiFindVisible) && !IsVisible()) || ((flags & UiFindEnabled) && !IsEnabled())) {
        return nullptr;
    }
    if ((flags & UiFindHitTest) && !PtInRect(&itemRect_, *static_cast<const POINT*>(data))) {
        return nullptr;
    }
    if (flags & UiFindMeFirst) {
        if (CControlUI* found = CControlUI::FindBy(visitor, data, flags)) {
            return found;
        }
    }
    const bool reversed = (flags & UiFindTopFirst) != 0;
    for (size_t i = 0; i < children_.size(); ++i) {
        CControlUI* child = children_[reversed ? children_.size() - 1 - i : i];
        if (CControlUI* found = child->FindBy(visitor, data, flags)) {
            return found;
        }
    }
    return (flags & UiFindMeFirst) ? nullptr : CControlUI::FindBy(visitor, data, flags);
}

void TestContainer::Paint(HDC dc, const RECT& paintRect) {
    CControlUI::Paint(dc, paintRect);
    for (CControlUI* child : children_) {
        if (child->IsVisible()) {
            child->Paint(dc, paintRect);
        }
    }
}

void TestContainer::OnScaleChanged(int dpi) {
    for (CControlUI* child : children_) {
        child->OnScaleChanged(dpi);
    }
}
