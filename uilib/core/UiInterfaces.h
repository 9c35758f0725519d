#pragma once
#include "UiPlatform.h"

namespace Orvel {

struct UiNotify;
class CControlUI;

// Receives every notification of a window (the window object, usually).
class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(UiNotify& notify) = 0;
};

// Sees window messages before the paint manager handles them; setting
// `handled` ends their processing with the returned result.
class IMessageFilterUI {
public:
    virtual ~IMessageFilterUI() = default;
    virtual LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;
};

// Keyboard accelerators of a window; a result of 0 means the message was
// translated.
class ITranslateAccelerator {
public:
    virtual ~ITranslateAccelerator() = default;
    virtual LRESULT TranslateAccelerator(MSG* message) = 0;
};

// Supplies the texts of controls whose text is a resource key. Returns null
// when it has none; a returned text only has to live until the call returns.
class IQueryControlText {
public:
    virtual ~IQueryControlText() = default;
    virtual const wchar_t* QueryControlText(const wchar_t* key, int type) = 0;
};

// Lets an application create controls for element names that neither the
// control factory nor a plug-in knows. Returns a new control or null.
class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    virtual CControlUI* CreateCustomControl(const wchar_t* name) = 0;
};

}  // namespace Orvel
