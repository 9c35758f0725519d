#pragma once
#include "UiRect.h"
#include "WindowWnd.h"

namespace Orvel {

class CEditUI;
class CPaintManagerUI;

// The platform's edit control placed over an edit field's text while the
// field has the focus. Every change is copied into the field with
// "textchanged"; Enter sends "return"; losing the focus closes the window.
// In a layered window it is a popup composed into the window's bitmap,
// with a caret mark of its own. The object deletes itself with its window.
class CEditWnd final : public CWindowWnd {
public:
    // Opens the native window for `owner` and hands it to the owner; the
    // owner has none when the window could not be created.
    static void Open(CEditUI* owner);

    // The owner's text area in the window's client coordinates, cut by its
    // ancestors; empty when an ancestor hides it.
    CUiRect CalcEditRect() const;
    // Moves (and with `resize`, sizes) the window to the owner's text area.
    void FollowOwner(bool resize);
    // The owner is going away: nothing refers to it from now on.
    void ForgetOwner();

    const wchar_t* WindowClass() const override;
    const wchar_t* SuperclassName() const override;
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void FinalCleanup(HWND window) override;

private:
    explicit CEditWnd(CEditUI* owner);
    ~CEditWnd();

    void Init();
    // The text area as the window's own coordinates: the screen for a
    // layered window's popup, the window's client area otherwise.
    CUiRect WindowRect() const;
    bool IsLayered() const;
    void OnCreate();
    void OnChange();
    LRESULT OnColor(UINT message, WPARAM wParam, LPARAM lParam);
    void DrawCaretMark(HDC dc);
    void SelectAll();

    CEditUI* owner_;             // not owned
    CPaintManagerUI* manager_;   // not owned: the owner's, kept for when the owner is gone
    HBRUSH backBrush_;           // owned, made on first use
    bool initialized_;
    bool caretShown_;
};

}  // namespace Orvel
