#pragma once
#include "WindowWnd.h"

namespace Orvel {

class CPaintManagerUI;

// The native window of the platform that a field opens over itself while it
// is edited: the edit control of an edit field, the picker of a date field,
// the address control of an IP field. They share one lifetime. The field
// opens its window with Open into its pointer, which holds the window from
// the start (so that the focus moving while the window is made opens no
// second one) and null again when no window could be made. From then on
// the object lives as long as its window: when the window is gone it tells
// the field (OnWindowGone) and deletes itself, though never while one of
// its own messages is still being handled. A field that goes away first
// calls Dismiss.
class CNativeFieldWnd : public CWindowWnd {
public:
    // A window of type Window for `field`, made and shown by its Init, into
    // `slot`; null, with nothing left behind, when it could not be made.
    template <typename Window, typename Field>
    static void Open(Field* field, Window*& slot) {
        slot = new Window(field);
        if (!slot->Start()) {
            slot = nullptr;
        }
    }

    // Hands the open window the field's value again and shows it with the
    // focus; nothing while the window is still being made.
    void Reopen();
    // The field is going away: nothing refers to it from now on, and the
    // window closes at once.
    void Dismiss();

    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) final;
    void FinalCleanup(HWND window) final;

protected:
    explicit CNativeFieldWnd(CPaintManagerUI* manager);
    virtual ~CNativeFieldWnd();

    // Makes the window at the first call (false when it could not), then
    // hands it the field's value and shows it with the focus.
    virtual bool Init() = 0;
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // The window is gone: the field's pointer to this object, when it is
    // one, is cleared.
    virtual void OnWindowGone() = 0;
    // Dismissed: the field is not to be touched any more.
    virtual void ForgetOwner() = 0;
    bool IsLayered() const;

    CPaintManagerUI* manager_;  // not owned: the field's, kept for when the field is gone

private:
    // Init, with the object deleted when no window came of it.
    bool Start();
    void DeleteWhenIdle();

    int handling_ = 0;  // nesting of ProcessMessage
    bool opening_ = false;
    bool gone_ = false;
};

}  // namespace Orvel
