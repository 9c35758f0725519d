#pragma once
#include "WindowWnd.h"

namespace Orvel {

class CDateTimeUI;

// The platform's date-time picker ("SysDateTimePick32") opened over a
// date field. It writes each date picked back into the field, restores the
// date it opened with on Escape, and closes when it loses the focus (unless
// its calendar is dropped down) or when the calendar closes. It deletes
// itself when its window is gone.
class CDateTimeWnd final : public CWindowWnd {
public:
    explicit CDateTimeWnd(CDateTimeUI* owner);

    // Makes the picker at the first call, then hands it the field's date,
    // shows it without activation and gives it the focus. False (and the
    // wrapper deleted) when no picker could be made.
    bool Init();
    // The field is going away: the picker closes at once and writes
    // nothing back.
    void Dismiss();

    const wchar_t* WindowClass() const override;
    const wchar_t* SuperclassName() const override;
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void FinalCleanup(HWND window) override;

private:
    ~CDateTimeWnd();

    // The field's rectangle cut by the client area of every ancestor.
    RECT PickerRect() const;
    void TakePickerTime();
    void OnNotify(const NMHDR& header);

    CDateTimeUI* owner_;  // not owned
    SYSTEMTIME openedTime_;
    bool initialized_;
    bool droppedDown_;
};

}  // namespace Orvel
