#pragma once
#include "Platform.h"

// Owns a kernel handle (file, process, event, mutex) and closes it once.
// Null and INVALID_HANDLE_VALUE both mean none: the platform returns one or
// the other on failure depending on the call.
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ~ScopedHandle() { Reset(nullptr); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    void Reset(HANDLE handle) {
        if (Valid()) {
            CloseHandle(handle_);
        }
        handle_ = handle;
    }
    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_ = nullptr;  // owned
};
