#include "NativeFieldWnd.h"

#include "PaintManagerUI.h"

namespace Orvel {

CNativeFieldWnd::CNativeFieldWnd(CPaintManagerUI* manager) : manager_(manager) {}

CNativeFieldWnd::~CNativeFieldWnd() = default;

bool CNativeFieldWnd::Start() {
    opening_ = true;
    const bool made = Init() && !gone_;
    opening_ = false;
    if (!made) {
        if (Handle() != nullptr) {
            DestroyWindow(Handle());
        }
        delete this;
    }
    return made;
}

void CNativeFieldWnd::Reopen() {
    if (!opening_ && !gone_) {
        Init();
    }
}

void CNativeFieldWnd::Dismiss() {
    ForgetOwner();
    if (Handle() != nullptr) {
        DestroyWindow(Handle());
    }
}

bool CNativeFieldWnd::IsLayered() const {
    return manager_ != nullptr && manager_->IsLayered();
}

// A handler may destroy the window (a notification handler deleting the
// field, say): the object outlives the handler that is still running.
LRESULT CNativeFieldWnd::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    ++handling_;
    const LRESULT result = HandleMessage(message, wParam, lParam);
    --handling_;
    DeleteWhenIdle();
    return result;
}

void CNativeFieldWnd::FinalCleanup(HWND window) {
    if (IsLayered()) {
        manager_->RemoveNativeWindow(window);
    }
    OnWindowGone();
    gone_ = true;
    DeleteWhenIdle();
}

void CNativeFieldWnd::DeleteWhenIdle() {
    if (gone_ && handling_ == 0 && !opening_) {
        delete this;
    }
}

}  // namespace Orvel
