#include "DateTimeUI.h"

#include "DateTimeWnd.h"
#include "NativeFieldEvents.h"

#include <cwchar>

namespace Orvel {

CDateTimeUI::CDateTimeUI() : updateMode_(TextFromDate), window_(nullptr) {
    GetLocalTime(&time_);
    UpdateText();
    updateMode_ = KeepText;
}

CDateTimeUI::~CDateTimeUI() {
    if (window_ != nullptr) {
        window_->Dismiss();
    }
}

const wchar_t* CDateTimeUI::ClassName() const {
    return L"DateTimeUI";
}

void* CDateTimeUI::CastTo(const wchar_t* name) {
    if (name != nullptr && wcscmp(name, L"DateTime") == 0) {
        return this;
    }
    return CLabelUI::CastTo(name);
}

void CDateTimeUI::SetTime(const SYSTEMTIME& time) {
    time_ = time;
    updateMode_ = TextFromDate;
    UpdateText();
}

void CDateTimeUI::UpdateText() {
    if (updateMode_ == ClearText) {
        SetText(L"");
    } else if (updateMode_ == TextFromDate) {
        CUiString text;
        text.FormatShort(L"%4d-%02d-%02d", time_.wYear, time_.wMonth, time_.wDay);
        SetText(text);
    }
}

void CDateTimeUI::OpenNativeWindow(bool create) {
    if (window_ != nullptr) {
        window_->Reopen();
    } else if (create) {
        CNativeFieldWnd::Open(this, window_);
    }
}

void CDateTimeUI::ProcessEvent(UiEvent& event) {
    if (!ProcessNativeFieldEvent(*this, event)) {
        CLabelUI::ProcessEvent(event);
    }
}

}  // namespace Orvel
