#pragma once
#include "Platform.h"

// Owns one handle and releases it once with `Closer` (a function object type).
// Null and INVALID_HANDLE_VALUE both mean none: the platform returns one or
// the other on failure depending on the call.
template <typename Handle, typename Closer>
class ScopedHandleOf {
public:
    ScopedHandleOf() = default;
    explicit ScopedHandleOf(Handle handle) : handle_(handle) {}
    ~ScopedHandleOf() { Reset(nullptr); }
    ScopedHandleOf(const ScopedHandleOf&) = delete;
    ScopedHandleOf& operator=(const ScopedHandleOf&) = delete;

    void Reset(Handle handle) {
        if (Valid()) {
            Closer()(handle_);
        }
        handle_ = handle;
    }
    void Close() { Reset(nullptr); }
    Handle Get() const { return handle_; }
    // Hands the handle over to the caller, who closes it.
    Handle Release() {
        Handle handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    bool Valid() const { return handle_ != nullptr && handle_ != reinterpret_cast<Handle>(INVALID_HANDLE_VALUE); }

private:
    Handle handle_ = nullptr;  // owned
};

struct CloseKernelHandle {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
struct FreeModule {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};

// A kernel handle: file, process, event, mutex.
using ScopedHandle = ScopedHandleOf<HANDLE, CloseKernelHandle>;
// A library loaded with LoadLibrary.
using ScopedLibrary = ScopedHandleOf<HMODULE, FreeModule>;
