// The floor for "process start to the game's start" on the installed-game
// path: only the platform call the launch needs.
//
//   launch_floor.exe PROGRAM [PARAMETERS]
#include <windows.h>

#include <shellapi.h>

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc < 2) {
        return 2;
    }
    HINSTANCE result = ShellExecuteW(nullptr, L"open", argv[1], argc > 2 ? argv[2] : L"", nullptr, SW_SHOWNORMAL);
    LocalFree(argv);
    return reinterpret_cast<INT_PTR>(result) > 32 ? 0 : 1;
}
