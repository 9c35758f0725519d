// Stands in for a game: records how it was started and exits.
// The record goes to the file named by FAKEGAME_RECORD, or to
// fakegame.record.txt beside the program, as UTF-8 lines:
//   cmdline=<the whole command line>
//   cwd=<the current directory>
//   arg=<one parsed argument after the program name>   (one line each)
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

std::string ToUtf8(const std::wstring& wide) {
    if (wide.empty()) {
        return std::string();
    }
    int needed = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                     nullptr);
    std::string utf8(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], needed, nullptr, nullptr);
    return utf8;
}

std::wstring RecordPath() {
    wchar_t buffer[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"FAKEGAME_RECORD", buffer, MAX_PATH) > 0) {
        return buffer;
    }
    GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring path = buffer;
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"fakegame.record.txt";
}

}  // namespace

int main() {
    std::wstring record = L"cmdline=" + std::wstring(GetCommandLineW()) + L"\n";
    wchar_t cwd[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    record += L"cwd=" + std::wstring(cwd) + L"\n";
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; args != nullptr && i < count; ++i) {
        record += L"arg=" + std::wstring(args[i]) + L"\n";
    }
    LocalFree(args);

    // Written aside and moved into place, so a reader never sees half a record.
    const std::wstring path = RecordPath();
    const std::wstring partial = path + L".partial";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    const std::string bytes = ToUtf8(record);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
