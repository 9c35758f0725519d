#pragma once
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

// Text in the core: UTF-16 for everything shown, logged or handed to the
// system as a path; the process's ANSI code page for stat fields and
// configuration strings; UTF-8 for the request client's output path and for
// what the launcher keeps of a chunk store (names in a manifest, its state).

// Empties `out` when `utf8` is null or `length` is 0; malformed input becomes U+FFFD.
void Utf8ToWide(const char* utf8, int length, std::wstring& out);
// Unpaired surrogates become U+FFFD.
std::string WideToUtf8(const std::wstring& wide);
std::wstring AnsiToWide(const std::string& ansi);
std::string WideToAnsi(const std::wstring& wide);

// Bounded wide formatting with the C runtime's wide conventions ("%s" is a
// wide string). Returns the units written without the terminator, or -1 when
// the text does not fit or cannot be formatted; then the buffer holds "".
int FormatWide(wchar_t* buffer, size_t capacity, const wchar_t* format, ...);
int FormatWideV(wchar_t* buffer, size_t capacity, const wchar_t* format, va_list args);

// The trace logger's channel for its own faults: standard output.
int PrintDiagnostic(const wchar_t* format, ...);

// first: unit text ("B" .. "TB"), second: number text.
std::pair<std::wstring, std::wstring> SplitByteSize(uint64_t bytes);
std::wstring FormatByteSize(uint64_t bytes);
std::wstring FormatByteSpeed(uint64_t bytesPerSecond);
