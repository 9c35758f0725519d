// Reads and sets the display DPI of the Wine prefix, for the end-to-end kit
// (e2e.Kit.wine_dpi). Wine takes it from the user's LogPixels value when a
// process starts; Windows programs set it the same way.
//
//   winedpi.exe            prints "registry=<value or none> dpi=<what a DPI-aware process gets>"
//   winedpi.exe set N      writes LogPixels = N
//   winedpi.exe unset      removes LogPixels
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cwchar>

namespace {

const wchar_t kKey[] = L"Control Panel\\Desktop";
const wchar_t kValue[] = L"LogPixels";

int Print() {
    DWORD value = 0;
    DWORD size = sizeof(value);
    const bool present =
        RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS;
    SetProcessDPIAware();
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    if (present) {
        printf("registry=%lu dpi=%d\n", value, dpi);
    } else {
        printf("registry=none dpi=%d\n", dpi);
    }
    return 0;
}

int Set(DWORD dpi) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return 1;
    }
    const LONG result = RegSetValueExW(key, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi));
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? 0 : 1;
}

int Unset() {
    const LONG result = RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND ? 0 : 1;
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    int code = 2;
    if (argc == 1) {
        code = Print();
    } else if (argc == 3 && wcscmp(argv[1], L"set") == 0) {
        code = Set(static_cast<DWORD>(_wtoi(argv[2])));
    } else if (argc == 2 && wcscmp(argv[1], L"unset") == 0) {
        code = Unset();
    }
    LocalFree(argv);
    return code;
}
