#pragma once
#include "UiPlatform.h"

namespace Orvel {

// Optional platform functions, looked up once per process from the system's
// own copy of the library; null when missing, and callers degrade.
using AlphaBlendProc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
using GradientFillProc = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);
using UpdateLayeredWindowProc = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*,
                                              DWORD);
using SetLayeredWindowAttributesProc = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

AlphaBlendProc DynAlphaBlend();
GradientFillProc DynGradientFill();
UpdateLayeredWindowProc DynUpdateLayeredWindow();
SetLayeredWindowAttributesProc DynSetLayeredWindowAttributes();

// Loads a library from the system folder, never from the current folder or
// the executable's folder. Null on failure.
HMODULE LoadSystemLibrary(const wchar_t* fileName);

}  // namespace Orvel
