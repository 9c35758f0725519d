#include "TestEnv.h"

#include "FolderTree.h"
#include "Platform.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace testenv {

std::wstring Var(const wchar_t* name) {
    DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
    if (needed == 0) {
        return std::wstring();
    }
    std::vector<wchar_t> value(needed, L'\0');
    DWORD length = GetEnvironmentVariableW(name, value.data(), needed);
    return std::wstring(value.data(), length);
}

std::wstring TempDir() {
    std::wstring dir = Var(L"TEST_TMPDIR");
    if (dir.empty()) {
        wchar_t buffer[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, buffer);
        dir = buffer;
    }
    return dir;
}

std::wstring SourceDir() { return Var(L"LAUNCHER_SOURCE_DIR"); }
std::wstring BuildDir() { return Var(L"LAUNCHER_BUILD_DIR"); }

std::wstring MakeTempSubdir(const std::wstring& name) {
    std::filesystem::path dir = std::filesystem::path(TempDir()) / name;
    RemoveFolderTree(dir.wstring());
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    return dir.wstring();
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string Utf8(const std::wstring& text) {
    const int size = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace testenv
