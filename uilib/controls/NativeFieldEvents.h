#pragma once
#include "LabelUI.h"
#include "PaintManagerUI.h"

namespace Orvel {

// The events of a label that opens a native picker of the platform over
// itself while it has the focus: the date/time and the IP-address fields.
// `Field` offers HasNativeWindow() and OpenNativeWindow(create), which
// makes the picker when `create` is set and none exists, then initialises
// it and shows it with the focus. Returns true when the event ends here;
// otherwise the label's handling follows.
template <typename Field>
bool ProcessNativeFieldEvent(Field& field, UiEvent& event) {
    if (!field.AcceptsMouse() && IsMouseEvent(event.type)) {
        if (CControlUI* parent = field.Parent()) {
            parent->ProcessEvent(event);
        } else {
            field.CLabelUI::ProcessEvent(event);
        }
        return true;
    }
    CPaintManagerUI* manager = field.Manager();
    switch (event.type) {
    case UiEventType::SetCursor:
        if (field.IsEnabled()) {
            ::SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
            return true;
        }
        return false;
    case UiEventType::WindowSize:
        // The picker does not follow the layout: it closes as the focus moves on.
        if (field.HasNativeWindow() && manager != nullptr) {
            manager->FocusControlAfter(&field);
        }
        return false;
    case UiEventType::ScrollWheel:
        return field.HasNativeWindow();
    case UiEventType::SetFocus:
        if (field.IsEnabled() && !field.HasNativeWindow()) {
            field.OpenNativeWindow(true);
        }
        return false;
    case UiEventType::KillFocus:
        if (field.IsEnabled()) {
            field.Invalidate();
        }
        return false;
    case UiEventType::ButtonDown:
    case UiEventType::DoubleClick:
    case UiEventType::RightButtonDown:
        if (field.IsEnabled()) {
            if (manager != nullptr) {
                manager->EndCapture();
            }
            field.OpenNativeWindow(field.HasFocus());
        }
        return true;
    case UiEventType::MouseMove:
    case UiEventType::ButtonUp:
    case UiEventType::ContextMenu:
    case UiEventType::MouseEnter:
    case UiEventType::MouseLeave:
        return true;
    default:
        return false;
    }
}

}  // namespace Orvel
