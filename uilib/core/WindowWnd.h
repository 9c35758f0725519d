#pragma once
#include "UiPlatform.h"

namespace Orvel {

// One native window bound to this object: the window is created with the
// object as its creation parameter, and every message it receives from
// WM_NCCREATE to WM_NCDESTROY goes to ProcessMessage. A window either has a
// class of its own (WindowClass) or superclasses an existing class
// (SuperclassName), whose procedure then receives what the object passes on.
// The object does not own its window's lifetime the other way round: the
// framework never deletes the object, its owner does. UI thread only.
class CWindowWnd {
public:
    CWindowWnd() = default;
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    // Null until WM_NCCREATE and again after WM_NCDESTROY.
    HWND Handle() const { return window_; }

    // An existing class of the same name counts as registered.
    bool RegisterOwnClass();
    bool RegisterSuperclass();

    // Registers the class and creates the window; null when either fails.
    HWND Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y, int width, int height,
                HMENU menu = nullptr);
    // `rect` is left, top, right, bottom.
    HWND Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, const RECT& rect,
                HMENU menu = nullptr);
    // Binds an existing window to this object through the superclass
    // procedure, which then passes on to the window's own procedure. Null
    // when this object already has a window.
    HWND Subclass(HWND window);
    // Gives a subclassed window its own procedure back.
    void RemoveSubclass();

    // Posts WM_CLOSE with `result` in wParam.
    void Close(UINT result);
    // Shown normally, shown without activation, or hidden.
    void Show(bool show, bool takeFocus);
    // Centres a top-level window on its owner, or on the work area of its
    // monitor, keeping it inside that monitor's work area.
    void CenterOnOwner();
    // The icon resource as both the big and the small window icon.
    void SetIconResource(UINT id);
    LRESULT SendToWindow(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostToWindow(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // The virtual operations keep this order; derived windows override slots.
    virtual const wchar_t* WindowClass() const = 0;
    // Empty (the default) gives the window a class of its own.
    virtual const wchar_t* SuperclassName() const;
    virtual UINT ClassStyle() const;
    virtual LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs after WM_NCDESTROY, when the object no longer has a window.
    virtual void FinalCleanup(HWND window);

protected:
    // Not virtual, so that the slots above come first; never deleted through
    // this class. A window still bound to the object is unbound, so that
    // nothing reaches the destroyed object.
    ~CWindowWnd();

    LRESULT CallPreviousProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The module the framework registers classes in.
    static HINSTANCE FrameworkInstance();

private:
    static LRESULT CALLBACK OwnClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SuperclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Both procedures: the object comes from the user data, or from the
    // "WndX" property for superclassed and subclassed windows.
    static LRESULT Route(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool byProperty);
    static CWindowWnd* BoundObject(HWND window, bool byProperty);
    void Bind(HWND window, bool byProperty);
    void ForgetWindow(HWND window);
    // WM_NCDESTROY of a bound window: the previous procedure's result.
    LRESULT EndWindow(HWND window, WPARAM wParam, LPARAM lParam);
    void Unbind();

    HWND window_ = nullptr;  // not owned
    WNDPROC previousProc_ = ::DefWindowProcW;
    bool subclassed_ = false;
    bool boundByProperty_ = false;
};

}  // namespace Orvel
