#include "Paths.h"

#include "Platform.h"

#include <shlwapi.h>

#include <filesystem>
#include <system_error>

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
