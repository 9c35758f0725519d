#pragma once
#include "NativeFieldWnd.h"

namespace Orvel {

class CDateTimeUI;

// The platform's date-time picker ("SysDateTimePick32") opened over a
// date field. It writes each date picked back into the field, restores the
// date it opened with on Escape, and closes when it loses the focus (unless
// its calendar is dropped down) or when the calendar closes.
class CDateTimeWnd final : public CNativeFieldWnd {
public:
    const wchar_t* WindowClass() const override;
    const wchar_t* SuperclassName() const override;

private:
    friend class CNativeFieldWnd;

    // Makes the picker at the first call, then hands it the field's date,
    // shows it without activation and gives it the focus.
    bool Init() override;
    explicit CDateTimeWnd(CDateTimeUI* owner);
    ~CDateTimeWnd() override;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowGone() override;
    void ForgetOwner() override;

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
