#pragma once
#include "LabelUI.h"

namespace Orvel {

class CDateTimeWnd;

// A label showing a date as "YYYY-MM-DD" that, while focused, opens the
// platform's date-time picker over itself; the date picked there becomes
// the control's date and text.
class CDateTimeUI : public CLabelUI {
public:
    // What UpdateText does with the text.
    enum TextUpdate : int {
        KeepText = 0,
        TextFromDate = 1,
        ClearText = 2,
    };

    // Today's date, shown at once.
    CDateTimeUI();
    // Closes an open picker.
    ~CDateTimeUI() override;

    const wchar_t* ClassName() const override;
    // "DateTime" compared case-sensitively, then the label's names.
    void* CastTo(const wchar_t* name) override;
    void ProcessEvent(UiEvent& event) override;

    const SYSTEMTIME& Time() const { return time_; }
    // The date and its text.
    void SetTime(const SYSTEMTIME& time);
    int UpdateMode() const { return updateMode_; }
    void SetUpdateMode(int mode) { updateMode_ = mode; }
    // Sets or clears the text as the update mode says.
    void UpdateText();

    // The open picker, or null.
    CDateTimeWnd* NativeWindow() const { return window_; }
    bool HasNativeWindow() const { return window_ != nullptr; }
    // Makes the picker when `create` is set and there is none, then hands
    // it the date and shows it with the focus.
    void OpenNativeWindow(bool create);

private:
    friend class CDateTimeWnd;

    SYSTEMTIME time_;
    int updateMode_;
    CDateTimeWnd* window_;  // not owned: the picker deletes itself with its window
};

}  // namespace Orvel
