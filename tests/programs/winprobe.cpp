// Lists the top-level windows of a window class, for the end-to-end kit
// (tests/harness/xscreen.py): the X server does not know Windows class names.
//
//   winprobe.exe CLASS
//
// One line per window on standard output:
//   hwnd=0x... xid=0x... pid=N visible=0|1 enabled=0|1 rect=L,T,R,B title=<UTF-8>
// xid is the X window Wine shows it in (0 before it has one). Exit code 0
// when at least one window was found, else 1.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

std::string ToUtf8(const std::wstring& wide) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0], bytes, nullptr, nullptr);
    utf8.resize(utf8.size() - 1);
    return utf8;
}

struct Search {
    std::wstring className;
    int found = 0;
};

BOOL CALLBACK Visit(HWND window, LPARAM lParam) {
    Search& search = *reinterpret_cast<Search*>(lParam);
    wchar_t className[256] = {};
    GetClassNameW(window, className, 256);
    if (search.className != className) {
        return TRUE;
    }
    ++search.found;
    wchar_t title[512] = {};
    GetWindowTextW(window, title, 512);
    RECT rect = {};
    GetWindowRect(window, &rect);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    const auto xid = reinterpret_cast<UINT_PTR>(GetPropW(window, L"__wine_x11_whole_window"));
    printf("hwnd=0x%llx xid=0x%llx pid=%lu visible=%d enabled=%d rect=%ld,%ld,%ld,%ld title=%s\n",
           static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)),
           static_cast<unsigned long long>(xid), pid, IsWindowVisible(window) ? 1 : 0,
           IsWindowEnabled(window) ? 1 : 0, rect.left, rect.top, rect.right, rect.bottom, ToUtf8(title).c_str());
    return TRUE;
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc != 2) {
        fprintf(stderr, "usage: winprobe CLASS\n");
        return 2;
    }
    Search search;
    search.className = argv[1];
    LocalFree(argv);
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    fflush(stdout);
    return search.found > 0 ? 0 : 1;
}
