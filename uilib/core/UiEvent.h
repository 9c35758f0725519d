#pragma once
#include "UiPlatform.h"
#include "UiString.h"

namespace Orvel {

class CControlUI;

// Kinds of control events. The numbers are part of the framework's contract
// with controls written elsewhere, so they never change.
enum class UiEventType : int {
    KeyDown = 3,
    KeyUp = 4,
    Char = 5,
    SysKey = 6,
    MouseMove = 9,
    MouseLeave = 10,
    MouseEnter = 11,
    MouseHover = 12,
    ButtonDown = 13,
    ButtonUp = 14,
    RightButtonDown = 15,
    RightButtonUp = 16,
    MiddleButtonDown = 17,
    MiddleButtonUp = 18,
    DoubleClick = 19,
    ContextMenu = 20,
    ScrollWheel = 21,
    KillFocus = 23,
    SetFocus = 24,
    WindowSize = 25,
    SetCursor = 26,
    Timer = 27,
    // The pressed control lost the mouse capture to another window (a
    // dialog, Alt+Tab): its press ends without a release.
    CaptureLost = 28,
};

// Mouse events are the kinds MouseMove through ScrollWheel.
inline bool IsMouseEvent(UiEventType type) {
    return type >= UiEventType::MouseMove && type <= UiEventType::ScrollWheel;
}

// Key state bits of UiEvent::keyState.
enum UiKeyState : WORD {
    UiKeyRightButton = 0x01,
    UiKeyLeftButton = 0x02,
    UiKeyShift = 0x04,
    UiKeyControl = 0x08,
    UiKeyAlt = 0x20,
};

// One event for one control; built on the stack for the time of its dispatch.
struct UiEvent {
    UiEventType type = UiEventType::MouseMove;
    CControlUI* sender = nullptr;  // not owned
    DWORD timestamp = 0;
    POINT mousePoint = {0, 0};
    wchar_t key = 0;
    WORD keyState = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// One notification from a control to the window's receivers.
struct UiNotify {
    CUiString type;
    CUiString virtualWindow;
    CControlUI* sender = nullptr;  // not owned; null once the sender was destroyed
    DWORD timestamp = 0;
    POINT mousePoint = {0, 0};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

}  // namespace Orvel
