#include "ZipEntryPath.h"

#include <cwctype>

namespace {

bool IsSeparator(wchar_t c) {
    return c == L'/' || c == L'\\';
}

bool IsForbidden(wchar_t c) {
    return c < 32 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|' || c == L'?' || c == L'*';
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices even with an extension.
bool IsDeviceName(const std::wstring& segment) {
    std::wstring stem = segment.substr(0, segment.find(L'.'));
    while (!stem.empty() && stem.back() == L' ') {
        stem.pop_back();
    }
    for (wchar_t& c : stem) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL") {
        return true;
    }
    return stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0) &&
           stem[3] >= L'1' && stem[3] <= L'9';
}

bool IsSafeSegment(const std::wstring& segment) {
    if (segment == L"..") {
        return false;
    }
    for (wchar_t c : segment) {
        if (IsForbidden(c)) {
            return false;
        }
    }
    wchar_t last = segment.back();
    return last != L'.' && last != L' ' && !IsDeviceName(segment);
}

}  // namespace

ZipResult MakeEntryPath(const ZipEntry& entry, std::wstring& relative) {
    relative.clear();
    const std::wstring& name = entry.name;
    if (name.empty() || entry.rawName.find('\0') != std::string::npos || IsSeparator(name[0])) {
        return ZipResult::UnsafeName;
    }
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) {
            ++end;
        }
        std::wstring segment = name.substr(start, end - start);
        if (!segment.empty() && segment != L".") {
            if (!IsSafeSegment(segment)) {
                relative.clear();
                return ZipResult::UnsafeName;
            }
            if (!relative.empty()) {
                relative += L'\\';
            }
            relative += segment;
        }
        start = end + 1;
    }
    if (relative.empty() && !entry.isDirectory) {
        return ZipResult::UnsafeName;
    }
    return ZipResult::Ok;
}
