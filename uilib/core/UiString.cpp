#include "UiString.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace Orvel {

CUiString::CUiString() : data_(inline_) {
    inline_[0] = L'\0';
}

CUiString::CUiString(wchar_t ch) : data_(inline_) {
    inline_[0] = ch;
    inline_[1] = L'\0';
}

CUiString::CUiString(const wchar_t* text, int length) : data_(inline_) {
    inline_[0] = L'\0';
    Assign(text, length);
}

CUiString::CUiString(const CUiString& other) : data_(inline_) {
    inline_[0] = L'\0';
    Assign(other.data_);
}

CUiString::~CUiString() {
    FreeHeap();
}

void CUiString::FreeHeap() {
    if (!IsInline()) {
        free(data_);
        data_ = inline_;
        inline_[0] = L'\0';
    }
}

bool CUiString::Overlaps(const wchar_t* text) const {
    // Callers may pass a slice of this very string; it must be copied away
    // before the storage is freed or moved.
    auto begin = reinterpret_cast<uintptr_t>(data_);
    auto end = begin + (static_cast<uintptr_t>(Length()) + 1) * sizeof(wchar_t);
    auto at = reinterpret_cast<uintptr_t>(text);
    return at >= begin && at < end;
}

int CUiString::Assign(const wchar_t* text, int length) {
    if (text == nullptr) {
        text = L"";
        length = 0;
    }
    if (Overlaps(text)) {
        CUiString copy(text, length);
        return Assign(copy.data_, copy.Length());
    }
    int count = length < 0 ? static_cast<int>(wcslen(text)) : length;
    if (count > kMaxInlineLength) {
        if (IsInline() || Length() < count) {
            FreeHeap();
            auto* block = static_cast<wchar_t*>(malloc((static_cast<size_t>(count) + 1) * sizeof(wchar_t)));
            if (block == nullptr) {
                return 0;
            }
            data_ = block;
        }
    } else {
        FreeHeap();
    }
    wmemcpy(data_, text, static_cast<size_t>(count));
    data_[count] = L'\0';
    return count;
}

void CUiString::Append(const wchar_t* text) {
    if (text == nullptr || *text == L'\0') {
        return;
    }
    if (Overlaps(text)) {
        CUiString copy(text);
        Append(copy.data_);
        return;
    }
    size_t current = static_cast<size_t>(Length());
    size_t added = wcslen(text);
    size_t total = current + added;
    if (total > static_cast<size_t>(kMaxInlineLength)) {
        size_t bytes = (total + 1) * sizeof(wchar_t);
        if (IsInline()) {
            auto* block = static_cast<wchar_t*>(malloc(bytes));
            if (block == nullptr) {
                return;
            }
            wmemcpy(block, inline_, current + 1);
            data_ = block;
        } else {
            auto* block = static_cast<wchar_t*>(realloc(data_, bytes));
            if (block == nullptr) {
                return;
            }
            data_ = block;
        }
    } else if (!IsInline()) {
        wmemcpy(inline_, data_, current + 1);
        free(data_);
        data_ = inline_;
    }
    wmemcpy(data_ + current, text, added);
    data_[total] = L'\0';
}

void CUiString::Append(wchar_t ch) {
    wchar_t text[2] = {ch, L'\0'};
    Append(text);
}

void CUiString::Append(const CUiString& other) {
    Append(other.data_);
}

CUiString& CUiString::operator=(const wchar_t* text) {
    Assign(text);
    return *this;
}

CUiString& CUiString::operator=(const CUiString& other) {
    if (this != &other) {
        Assign(other.data_);
    }
    return *this;
}

CUiString& CUiString::operator=(wchar_t ch) {
    FreeHeap();
    inline_[0] = ch;
    inline_[1] = L'\0';
    return *this;
}

CUiString& CUiString::operator+=(const wchar_t* text) {
    Append(text);
    return *this;
}

CUiString& CUiString::operator+=(const CUiString& other) {
    Append(other.data_);
    return *this;
}

CUiString& CUiString::operator+=(wchar_t ch) {
    Append(ch);
    return *this;
}

CUiString CUiString::operator+(const CUiString& other) const {
    CUiString result(*this);
    result.Append(other.data_);
    return result;
}

CUiString CUiString::operator+(const wchar_t* text) const {
    CUiString result(*this);
    result.Append(text);
    return result;
}

int CUiString::Length() const {
    return data_ == nullptr ? 0 : static_cast<int>(wcslen(data_));
}

bool CUiString::IsEmpty() const {
    return data_[0] == L'\0';
}

void CUiString::Clear() {
    FreeHeap();
    inline_[0] = L'\0';
}

int CUiString::Compare(const wchar_t* text) const {
    return wcscmp(data_, text == nullptr ? L"" : text);
}

int CUiString::CompareNoCase(const wchar_t* text) const {
    return _wcsicmp(data_, text == nullptr ? L"" : text);
}

int CUiString::Find(const wchar_t* text, int start) const {
    if (text == nullptr || start < 0 || start > Length()) {
        return -1;
    }
    const wchar_t* found = wcsstr(data_ + start, text);
    return found == nullptr ? -1 : static_cast<int>(found - data_);
}

int CUiString::Find(wchar_t ch, int start) const {
    if (start != 0 && (start < 0 || start >= Length())) {
        return -1;
    }
    // wcschr would report the terminator itself.
    if (ch == L'\0') {
        return -1;
    }
    const wchar_t* found = wcschr(data_ + start, ch);
    return found == nullptr ? -1 : static_cast<int>(found - data_);
}

CUiString CUiString::Left(int count) const {
    int length = Length();
    if (count < 0) {
        count = 0;
    }
    if (count > length) {
        count = length;
    }
    return CUiString(data_, count);
}

CUiString CUiString::Mid(int start, int count) const {
    int length = Length();
    if (start < 0) {
        start = 0;
    }
    if (start >= length) {
        return CUiString();
    }
    if (count < 0 || count > length - start) {
        count = length - start;
    }
    if (count <= 0) {
        return CUiString();
    }
    return CUiString(data_ + start, count);
}

int CUiString::Replace(const wchar_t* from, const wchar_t* to) {
    // An empty pattern matches everywhere and would never let the scan end.
    if (from == nullptr || *from == L'\0') {
        return 0;
    }
    if (to == nullptr) {
        to = L"";
    }
    CUiString pattern(from);
    CUiString replacement(to);
    int fromLength = pattern.Length();
    int toLength = replacement.Length();
    int count = 0;
    int position = Find(pattern.data_, 0);
    while (position >= 0) {
        CUiString result(data_, position);
        result.Append(replacement.data_);
        result.Append(data_ + position + fromLength);
        Assign(result.data_);
        ++count;
        position = Find(pattern.data_, position + toLength);
    }
    return count;
}

void CUiString::ToLower() {
    _wcslwr(data_);
}

int CUiString::Format(const wchar_t* format, ...) {
    if (format == nullptr) {
        return -1;
    }
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    int needed = _vscwprintf(format, measure);
    va_end(measure);
    if (needed < 0) {
        va_end(args);
        return -1;
    }
    auto* block = static_cast<wchar_t*>(calloc(static_cast<size_t>(needed) + 1, sizeof(wchar_t)));
    if (block == nullptr) {
        va_end(args);
        return -1;
    }
    int written = _vsnwprintf(block, static_cast<size_t>(needed) + 1, format, args);
    va_end(args);
    if (written >= 0) {
        Assign(block, written);
    }
    free(block);
    return written;
}

int CUiString::FormatShort(const wchar_t* format, ...) {
    if (format == nullptr) {
        return -1;
    }
    wchar_t buffer[kInlineUnits] = {};
    va_list args;
    va_start(args, format);
    // msvcrt leaves a text that fills the buffer unterminated.
    int written = _vsnwprintf(buffer, kInlineUnits - 1, format, args);
    va_end(args);
    buffer[kInlineUnits - 1] = L'\0';
    Assign(buffer);
    return written;
}

}  // namespace Orvel
