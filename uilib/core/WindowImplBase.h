#pragma once
#include "NotifyPump.h"
#include "PaintManagerUI.h"
#include "UiInterfaces.h"
#include "UiString.h"
#include "WindowWnd.h"

namespace Orvel {

// The base of every skinned window. At WM_CREATE it drops the standard frame,
// attaches its paint manager and builds the control tree from the skin
// markup (a skin that yields no root fails the window's creation: Create
// returns null); then every message goes to its handler slot, to MsgOther,
// to the paint manager and at last to the window's previous procedure. It
// gives the skin its caption and resize borders, maximizes to the monitor's
// work area, rounds the window's corners, and makes the controls named
// "closebtn", "minbtn", "maxbtn" and "restorebtn" work. Notifications go
// through its notify table ("click" from any sender to OnClickNotify).
//
// The virtual operations keep this order: derived windows override slots.
// Every handler sets `handled` to false when the message should go on.
class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback,
                       public IQueryControlText {
public:
    WindowImplBase() = default;

    UINT ClassStyle() const override;
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Unhooks the window from its paint manager once the window is gone.
    void FinalCleanup(HWND window) override;

    // A window that still exists is destroyed first.
    virtual ~WindowImplBase();
    // For derived windows; the framework never calls it.
    virtual void InitWindow();
    // The control tree is attached and the window registered for notifications.
    virtual void OnSkinReady();
    // The system buttons: "closebtn", "minbtn", "maxbtn", "restorebtn".
    virtual void OnClickNotify(UiNotify& notify);
    // Empty: SkinFile names a markup file (or holds markup text); otherwise
    // SkinFile is a decimal resource id of this resource type.
    virtual CUiString SkinType() const;
    virtual CUiString SkinFile() const = 0;
    virtual CUiString ManagerName() const;
    // Return and Escape as seen by the pre-message filter.
    virtual bool DefaultKeyResponse(UINT key);

    virtual LRESULT MsgClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgNcActivate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgNcPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgGetMinMaxInfo(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgMouseWheel(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgMouseHover(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgChar(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgCreate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgKeyDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgKeyUp(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgKillFocus(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgSetFocus(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgLButtonUp(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgMouseMove(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgDpiChanged(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT MsgOther(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    // The current style without WS_CAPTION.
    virtual DWORD WindowStyle() const;

    // INotifyUI: the notify table.
    void Notify(UiNotify& notify) override;
    // IMessageFilterUI, as the paint manager's pre-message filter.
    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    // IDialogBuilderCallback: none, so the builder's factory decides.
    CControlUI* CreateCustomControl(const wchar_t* name) override;
    // IQueryControlText: no texts.
    const wchar_t* QueryControlText(const wchar_t* key, int type) override;

    CPaintManagerUI& PaintManager() { return paintManager_; }

    ORVEL_DECLARE_NOTIFY_MAP()

protected:
    CPaintManagerUI paintManager_;

private:
    // Routes a message to its handler slot; false for messages without one.
    bool RouteToHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled, LRESULT& result);
    // Hit test of the skin's caption and of the controls under the point.
    LRESULT CaptionHitTest(POINT point, const RECT& client);
    void MatchSystemButtons(bool maximized);
    // A rounded rectangle of the paint manager's round corner, over the whole window.
    void UpdateRegion();
};

}  // namespace Orvel
