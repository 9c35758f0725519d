#include "UiThreadTasks.h"

#include "TraceLogger.h"

#include <exception>
#include <utility>

namespace {

const wchar_t kWindowClass[] = L"KorvaUiThreadTasks";
const UINT kRunTasks = WM_APP + 0x2A;
const wchar_t kWindowProcFunction[] = L"UiThreadTasks::WindowProc";

ATOM RegisterWindowClass(WNDPROC windowProc) {
    WNDCLASSEXW record = {};
    record.cbSize = sizeof(record);
    record.lpfnWndProc = windowProc;
    record.hInstance = GetModuleHandleW(nullptr);
    record.lpszClassName = kWindowClass;
    return RegisterClassExW(&record);
}

}  // namespace

UiThreadTasks::UiThreadTasks() {
    // Function-local statics are initialised once even when threads race.
    static const ATOM windowClass = RegisterWindowClass(&UiThreadTasks::WindowProc);
    if (windowClass == 0) {
        return;
    }
    window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                              nullptr);
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
}

UiThreadTasks::~UiThreadTasks() {
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

bool UiThreadTasks::Post(Task task) {
    if (window_ == nullptr) {
        return false;
    }
    std::lock_guard<std::mutex> hold(lock_);
    waiting_.push_back(std::move(task));
    if (!PostMessageW(window_, kRunTasks, 0, 0)) {
        waiting_.pop_back();
        return false;
    }
    return true;
}

// One message per task: a task that throws leaves the later ones to their own messages.
void UiThreadTasks::RunNext() {
    Task task;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (waiting_.empty()) {
            return;
        }
        task = std::move(waiting_.front());
        waiting_.pop_front();
    }
    task();
}

// Nothing may escape a window procedure: the shipped 32-bit build cannot
// unwind through the system's frames and would end the process.
LRESULT CALLBACK UiThreadTasks::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kRunTasks) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        if (auto* self = reinterpret_cast<UiThreadTasks*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
            self->RunNext();
        }
    } catch (const std::exception& error) {
        TRACE_LOG_AS(kWindowProcFunction, TRACE_LEVEL_ERROR, L"task failed: %hs", error.what());
    } catch (...) {
        TRACE_LOG_AS(kWindowProcFunction, TRACE_LEVEL_ERROR, L"task failed: unknown exception");
    }
    return 0;
}
