#pragma once
#include "Platform.h"

#include <deque>
#include <functional>
#include <mutex>

// Runs tasks posted from any thread on the thread that created the object,
// in posting order, through a message-only window of that thread: a worker
// hands its result back to the UI thread this way. The object must outlive
// the workers that post to it; tasks still waiting when it goes are dropped.
class UiThreadTasks {
public:
    using Task = std::function<void()>;

    UiThreadTasks();
    ~UiThreadTasks();
    UiThreadTasks(const UiThreadTasks&) = delete;
    UiThreadTasks& operator=(const UiThreadTasks&) = delete;

    // From any thread; false when the task will never run (no window).
    bool Post(Task task);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // On the owning thread: runs the oldest waiting task.
    void RunNext();

    HWND window_ = nullptr;  // owned
    std::mutex lock_;
    std::deque<Task> waiting_;  // guarded by lock_
};
