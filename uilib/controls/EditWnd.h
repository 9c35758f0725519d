#pragma once
#include "UiRect.h"
#include "NativeFieldWnd.h"

namespace Orvel {

class CEditUI;
class CPaintManagerUI;

// The platform's edit control placed over an edit field's text while the
// field has the focus. Every change is copied into the field with
// "textchanged"; Enter sends "return"; losing the focus closes the window.
// In a layered window it is a popup composed into the window's bitmap,
// with a caret mark of its own.
class CEditWnd final : public CNativeFieldWnd {
public:
    // The owner's text area in the window's client coordinates, cut by its
    // ancestors; empty when an ancestor hides it.
    CUiRect CalcEditRect() const;
    // Moves (and with `resize`, sizes) the window to the owner's text area.
    void FollowOwner(bool resize);

    const wchar_t* WindowClass() const override;
    const wchar_t* SuperclassName() const override;

private:
    friend class CNativeFieldWnd;

    // Creates the window over the owner's text area and selects its text.
    bool Init() override;
    explicit CEditWnd(CEditUI* owner);
    ~CEditWnd() override;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowGone() override;
    void ForgetOwner() override;
    // The text area as the window's own coordinates: the screen for a
    // layered window's popup, the window's client area otherwise.
    CUiRect WindowRect() const;
    void OnCreate();
    void OnChange();
    LRESULT OnColor(UINT message, WPARAM wParam, LPARAM lParam);
    void DrawCaretMark(HDC dc);
    void SelectAll();

    CEditUI* owner_;             // not owned
    HBRUSH backBrush_;           // owned, made on first use
    bool initialized_;
    bool caretShown_;
};

}  // namespace Orvel
