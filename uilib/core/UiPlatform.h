#pragma once
// The one way the UI framework pulls in the Windows headers.
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

// shellscalingapi.h is only declared for Windows 8.1 targets; GetDpiForMonitor
// is looked up at run time, so its one constant is kept here.
#ifndef MDT_EFFECTIVE_DPI
#define MDT_EFFECTIVE_DPI 0
#endif
