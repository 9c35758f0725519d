#pragma once
#include "UiPlatform.h"

// GDI+ through its flat API; only sources that draw with it include this.
#include <objidl.h>
#include <gdiplus.h>

namespace Orvel {

// One GDI+ start-up per call; every token is shut down again. 0 on failure.
ULONG_PTR StartGdiPlus();
void ShutdownGdiPlus(ULONG_PTR token);
// Starts GDI+ for the process the first time it is called and keeps it
// running: a window that never draws through GDI+ never loads it. False
// when GDI+ cannot start.
bool EnsureGdiPlus();

// A GDI+ object released when the scope ends.
template <typename Object, Gdiplus::GpStatus(WINGDIPAPI* Delete)(Object*)>
class ScopedGdiPlus {
public:
    ScopedGdiPlus() = default;
    ~ScopedGdiPlus() {
        if (object_ != nullptr) {
            Delete(object_);
        }
    }
    ScopedGdiPlus(const ScopedGdiPlus&) = delete;
    ScopedGdiPlus& operator=(const ScopedGdiPlus&) = delete;

    Object* Get() const { return object_; }
    Object** Receive() { return &object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    Object* object_ = nullptr;  // owned
};

using ScopedGpGraphics = ScopedGdiPlus<Gdiplus::GpGraphics, Gdiplus::DllExports::GdipDeleteGraphics>;
using ScopedGpBrush = ScopedGdiPlus<Gdiplus::GpBrush, Gdiplus::DllExports::GdipDeleteBrush>;
using ScopedGpPen = ScopedGdiPlus<Gdiplus::GpPen, Gdiplus::DllExports::GdipDeletePen>;
using ScopedGpFont = ScopedGdiPlus<Gdiplus::GpFont, Gdiplus::DllExports::GdipDeleteFont>;
using ScopedGpStringFormat = ScopedGdiPlus<Gdiplus::GpStringFormat, Gdiplus::DllExports::GdipDeleteStringFormat>;

// A solid brush of an ARGB colour; null when GDI+ is not running.
Gdiplus::GpBrush* CreateGpSolidBrush(DWORD argb, ScopedGpBrush& brush);
// A GDI+ surface over a device context, GDI+ started first; false when
// either fails.
bool CreateGpGraphics(HDC dc, ScopedGpGraphics& graphics);

}  // namespace Orvel
