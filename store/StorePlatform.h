#pragma once
// The one way the store's Windows seams pull in the Windows headers.
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

// MinGW's bcrypt.h names no success test; NTSTATUS success is non-negative.
#ifndef BCRYPT_SUCCESS
#define BCRYPT_SUCCESS(status) (static_cast<NTSTATUS>(status) >= 0)
#endif
