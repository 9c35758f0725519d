#include "Paths.h"

#include "Platform.h"
#include "ScopedHandle.h"

#include <shlwapi.h>

#include <filesystem>
#include <system_error>
#include <vector>

namespace {
// Room for any path the platform hands back, long-path prefix included.
constexpr DWORD kPathUnits = 32768;
}  // namespace

std::wstring GetModuleDir() {
    try {
        wchar_t buffer[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, buffer, MAX_PATH);
        return std::filesystem::path(buffer).parent_path().wstring();
    } catch (...) {
        return std::wstring();
    }
}

std::wstring CombinePath(const std::wstring& dir, const std::wstring& part) {
    constexpr size_t kCapacity = 2048;
    if (dir.size() + part.size() >= kCapacity - 2) {
        return std::wstring();
    }
    wchar_t buffer[kCapacity] = {};
    if (PathCombineW(buffer, dir.c_str(), part.c_str()) == nullptr) {
        return std::wstring();
    }
    return buffer;
}

bool PathExists(const std::wstring& path) {
    return !path.empty() && PathFileExistsW(path.c_str()) != FALSE;
}

bool CreateDirs(const std::wstring& path) {
    try {
        std::error_code error;
        bool created = std::filesystem::create_directories(path, error);
        return created && !error;
    } catch (...) {
        return false;
    }
}

std::wstring FullPath(const std::wstring& path) {
    std::vector<wchar_t> buffer(kPathUnits);
    DWORD units = GetFullPathNameW(path.c_str(), kPathUnits, buffer.data(), nullptr);
    if (units == 0 || units >= kPathUnits) {
        return std::wstring();
    }
    std::wstring full(buffer.data(), units);
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) {
        full.pop_back();
    }
    return full;
}

std::wstring FinalPath(HANDLE handle) {
    std::vector<wchar_t> buffer(kPathUnits);
    DWORD units =
        GetFinalPathNameByHandleW(handle, buffer.data(), kPathUnits, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    return units > 0 && units < kPathUnits ? std::wstring(buffer.data(), units) : std::wstring();
}

std::wstring FinalPath(const std::wstring& path) {
    ScopedHandle handle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle.Valid() ? FinalPath(handle.Get()) : std::wstring();
}
