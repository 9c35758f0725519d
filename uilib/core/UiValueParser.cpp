#include "UiValueParser.h"

#include <cwchar>

namespace Orvel {

int ParseInt(const wchar_t* text, const wchar_t** end) {
    if (text == nullptr) {
        if (end != nullptr) {
            *end = text;
        }
        return 0;
    }
    wchar_t* stop = nullptr;
    long value = wcstol(text, &stop, 10);
    if (end != nullptr) {
        *end = stop;
    }
    return static_cast<int>(value);
}

void ParseInts(const wchar_t* text, int* values, int count) {
    const wchar_t* position = text;
    for (int i = 0; i < count; ++i) {
        values[i] = 0;
    }
    for (int i = 0; i < count && position != nullptr && *position != L'\0'; ++i) {
        const wchar_t* end = nullptr;
        values[i] = ParseInt(position, &end);
        // Exactly one separator follows each number; never step over the end.
        position = (*end == L'\0') ? end : end + 1;
    }
}

CUiRect ParseRectValue(const wchar_t* text) {
    int values[4];
    ParseInts(text, values, 4);
    return CUiRect(values[0], values[1], values[2], values[3]);
}

CUiSize ParseSizeValue(const wchar_t* text) {
    int values[2];
    ParseInts(text, values, 2);
    return CUiSize(values[0], values[1]);
}

DWORD ParseColorValue(const wchar_t* text) {
    if (text == nullptr) {
        return 0;
    }
    if (*text == L'#') {
        ++text;
    }
    return static_cast<DWORD>(wcstoul(text, nullptr, 16));
}

bool ParseBoolValue(const wchar_t* text) {
    return text != nullptr && _wcsicmp(text, L"true") == 0;
}

}  // namespace Orvel
