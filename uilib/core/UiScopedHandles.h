#pragma once
#include "UiPlatform.h"

namespace Orvel {

// Small single-owner guards so that early returns cannot leak handles.

class ScopedFileHandle {
public:
    explicit ScopedFileHandle(HANDLE handle) : handle_(handle) {}
    ~ScopedFileHandle() {
        if (IsValid()) {
            CloseHandle(handle_);
        }
    }
    ScopedFileHandle(const ScopedFileHandle&) = delete;
    ScopedFileHandle& operator=(const ScopedFileHandle&) = delete;

    bool IsValid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;  // owned
};

// A device context from GetDC, given back with ReleaseDC.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ScopedGetDC() {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;

    HDC Get() const { return dc_; }

private:
    HWND window_;  // not owned
    HDC dc_;       // owned
};

}  // namespace Orvel
