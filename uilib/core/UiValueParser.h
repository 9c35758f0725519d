#pragma once
#include "UiPlatform.h"
#include "UiRect.h"

#include <cwchar>

namespace Orvel {

// Element names, attribute names and keywords of markup match ignoring case;
// a null name matches nothing.
inline bool Is(const wchar_t* name, const wchar_t* keyword) {
    return name != nullptr && _wcsicmp(name, keyword) == 0;
}

// Readers for the value syntaxes of markup attributes. They never fail:
// numbers are read as far as they are valid and missing parts become 0.

// A decimal integer with an optional sign; *end (when given) receives the
// first character after it, or `text` when there is no number.
int ParseInt(const wchar_t* text, const wchar_t** end = nullptr);
// `count` decimal integers, each followed by exactly one separator character
// ("l,t,r,b"); values past the end of the text are 0.
void ParseInts(const wchar_t* text, int* values, int count);
CUiRect ParseRectValue(const wchar_t* text);
CUiSize ParseSizeValue(const wchar_t* text);
// Optional "#", then a hexadecimal AARRGGBB value ("0x" is accepted too).
DWORD ParseColorValue(const wchar_t* text);
// True exactly for "true", ignoring case.
bool ParseBoolValue(const wchar_t* text);
// 0xAARRGGBB to the GDI byte order 0x00BBGGRR.
inline COLORREF ToColorRef(DWORD argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

}  // namespace Orvel
