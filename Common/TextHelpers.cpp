#include "TextHelpers.h"

#include "Platform.h"

#include <cstdio>
#include <vector>

void Utf8ToWide(const char* utf8, int length, std::wstring& out) {
    out.clear();
    if (utf8 == nullptr || length <= 0) {
        return;
    }
    // UTF-8 never needs more UTF-16 units than it has bytes.
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    int written = MultiByteToWideChar(CP_UTF8, 0, utf8, length, buffer.data(), length);
    if (written > 0) {
        out.assign(buffer.data(), static_cast<size_t>(written));
    }
}

std::string WideToUtf8(const std::wstring& wide) {
    if (wide.empty()) {
        return std::string();
    }
    const int length = static_cast<int>(wide.size());
    int needed = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed < 1) {
        return std::string();
    }
    std::string utf8(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, &utf8[0], needed, nullptr, nullptr);
    return utf8;
}

std::wstring AnsiToWide(const std::string& ansi) {
    if (ansi.empty()) {
        return std::wstring();
    }
    const int inputLength = static_cast<int>(ansi.size());
    int needed = MultiByteToWideChar(CP_ACP, 0, ansi.data(), inputLength, nullptr, 0);
    if (needed < 1) {
        return std::wstring();
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(needed) + 1, L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, ansi.data(), inputLength, buffer.data(), needed) != needed) {
        return std::wstring();
    }
    buffer[needed] = L'\0';
    return std::wstring(buffer.data());
}

std::string WideToAnsi(const std::wstring& wide) {
    if (wide.empty()) {
        return std::string();
    }
    const int inputLength = static_cast<int>(wide.size());
    int needed = WideCharToMultiByte(CP_ACP, 0, wide.data(), inputLength, nullptr, 0, nullptr, nullptr);
    if (needed < 1) {
        return std::string();
    }
    std::vector<char> buffer(static_cast<size_t>(needed) + 1, '\0');
    if (WideCharToMultiByte(CP_ACP, 0, wide.data(), inputLength, buffer.data(), needed, nullptr, nullptr) !=
        needed) {
        return std::string();
    }
    buffer[needed] = '\0';
    return std::string(buffer.data());
}

int FormatWideV(wchar_t* buffer, size_t capacity, const wchar_t* format, va_list args) {
    if (buffer == nullptr || capacity == 0) {
        return -1;
    }
    if (format == nullptr) {
        buffer[0] = L'\0';
        return -1;
    }
    // msvcrt's _vsnwprintf neither terminates a text that fills the buffer
    // nor stops the process on overflow, unlike vswprintf_s; we terminate.
    int written = _vsnwprintf(buffer, capacity - 1, format, args);
    if (written < 0 || static_cast<size_t>(written) >= capacity) {
        buffer[0] = L'\0';
        return -1;
    }
    buffer[written] = L'\0';
    return written;
}

int FormatWide(wchar_t* buffer, size_t capacity, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    int written = FormatWideV(buffer, capacity, format, args);
    va_end(args);
    return written;
}

int PrintDiagnostic(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    int length = _vscwprintf(format, measure);
    va_end(measure);
    int result = -1;
    if (length >= 0) {
        std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
        result = FormatWideV(text.data(), text.size(), format, args);
        if (result >= 0 && fputws(text.data(), stdout) < 0) {
            result = -1;
        }
        fflush(stdout);
    }
    va_end(args);
    return result;
}

std::pair<std::wstring, std::wstring> SplitByteSize(uint64_t bytes) {
    static const char* const kUnits[] = {"B", "KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes);
    int unit = 0;
    while (value >= 1024.0 && unit < 4) {
        value *= 1.0 / 1024.0;
        ++unit;
    }
    char number[256] = {};
    snprintf(number, sizeof(number), unit > 1 ? "%.1f" : "%.0f", value);
    return {AnsiToWide(kUnits[unit]), AnsiToWide(number)};
}

std::wstring FormatByteSize(uint64_t bytes) {
    std::pair<std::wstring, std::wstring> parts = SplitByteSize(bytes);
    wchar_t text[256] = {};
    FormatWide(text, 256, L"%s%s", parts.second.c_str(), parts.first.c_str());
    return text;
}

std::wstring FormatByteSpeed(uint64_t bytesPerSecond) {
    return FormatByteSize(bytesPerSecond) + L"/s";
}
