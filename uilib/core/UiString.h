#pragma once
#include <cstddef>

namespace Orvel {

// UTF-16 text with a 64-unit inline buffer: short texts (up to 62 units)
// need no heap block, longer ones live in a block of exactly length + 1
// units. Copies never share storage. Not thread-safe.
class CUiString {
public:
    static constexpr int kInlineUnits = 64;
    static constexpr int kMaxInlineLength = kInlineUnits - 2;

    CUiString();
    explicit CUiString(wchar_t ch);
    // length -1: up to the terminating NUL.
    CUiString(const wchar_t* text, int length = -1);
    CUiString(const CUiString& other);
    ~CUiString();

    // A null text counts as empty; a negative length means the whole text.
    // Returns the new length.
    int Assign(const wchar_t* text, int length = -1);
    void Append(const wchar_t* text);
    void Append(wchar_t ch);
    void Append(const CUiString& other);

    CUiString& operator=(const wchar_t* text);
    CUiString& operator=(const CUiString& other);
    CUiString& operator=(wchar_t ch);
    CUiString& operator+=(const wchar_t* text);
    CUiString& operator+=(const CUiString& other);
    CUiString& operator+=(wchar_t ch);
    CUiString operator+(const CUiString& other) const;
    CUiString operator+(const wchar_t* text) const;

    int Length() const;
    bool IsEmpty() const;
    void Clear();
    const wchar_t* Data() const { return data_; }
    operator const wchar_t*() const { return data_; }
    // No bounds check: callers keep index below Length().
    wchar_t CharAt(int index) const { return data_[index]; }

    // Ordinal comparison of code units: negative, zero or positive.
    int Compare(const wchar_t* text) const;
    // Ordinal comparison after lower-casing, as keywords are matched.
    int CompareNoCase(const wchar_t* text) const;
    bool operator==(const wchar_t* text) const { return Compare(text) == 0; }
    bool operator!=(const wchar_t* text) const { return Compare(text) != 0; }
    bool operator<(const wchar_t* text) const { return Compare(text) < 0; }
    bool operator==(const CUiString& other) const { return Compare(other.data_) == 0; }
    bool operator!=(const CUiString& other) const { return Compare(other.data_) != 0; }
    bool operator<(const CUiString& other) const { return Compare(other.data_) < 0; }

    // Position of the first occurrence at or after start, or -1.
    int Find(const wchar_t* text, int start = 0) const;
    int Find(wchar_t ch, int start = 0) const;
    CUiString Left(int count) const;
    // count < 0: to the end.
    CUiString Mid(int start, int count = -1) const;
    // Returns the number of replacements.
    int Replace(const wchar_t* from, const wchar_t* to);
    void ToLower();

    // printf-style with the C runtime's wide conventions ("%s" is wide text).
    // Returns the characters written or -1 on a formatting error.
    int Format(const wchar_t* format, ...);
    // Into a fixed 64-unit buffer: at most 63 characters are kept.
    int FormatShort(const wchar_t* format, ...);

private:
    bool IsInline() const { return data_ == inline_; }
    bool Overlaps(const wchar_t* text) const;
    void FreeHeap();

    wchar_t* data_;  // inline_ or an owned heap block
    wchar_t inline_[kInlineUnits];
};

}  // namespace Orvel
