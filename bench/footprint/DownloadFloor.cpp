// The floor for the launcher's working set during a download: one GET read
// with InternetReadFile into a 10240-byte buffer (the downloader's) and
// written to a file, nothing else. With --window it first shows a 720 x 496
// popup painted once with a line of Chinese text in the skin's font, the
// least a window of the launcher's costs.
//
//   download_floor.exe URL FILE [--window]
#include <windows.h>

#include <wininet.h>

#include <cwchar>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    HBRUSH brush = CreateSolidBrush(RGB(0x2F, 0x31, 0x36));
    FillRect(dc, &ps.rcPaint, brush);
    DeleteObject(brush);
    HFONT font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"微软雅黑");
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, RGB(0xD8, 0xD8, 0xD9));
    SetBkMode(dc, TRANSPARENT);
    RECT text = {16, 460, 704, 490};
    DrawTextW(dc, L"正在下载: 0%", -1, &text, DT_RIGHT | DT_SINGLELINE);
    SelectObject(dc, old);
    DeleteObject(font);
    EndPaint(window, &ps);
    return 0;
}

void ShowWindowFloor() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"DownloadFloorClass";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"Download floor", WS_POPUP,
                                  (GetSystemMetrics(SM_CXSCREEN) - 720) / 2, (GetSystemMetrics(SM_CYSCREEN) - 496) / 2,
                                  720, 496, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 && !(argc == 4 && wcscmp(argv[3], L"--window") == 0)) {
        return 2;
    }
    if (argc == 4) {
        ShowWindowFloor();
    }
    HINTERNET session = InternetOpenW(L"download_floor", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET request = session != nullptr
                            ? InternetOpenUrlW(session, argv[1], nullptr, 0,
                                               INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
                            : nullptr;
    HANDLE file = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    int result = 1;
    if (request != nullptr && file != INVALID_HANDLE_VALUE) {
        char buffer[10240];
        DWORD read = 0;
        while (InternetReadFile(request, buffer, sizeof(buffer), &read) && read > 0) {
            DWORD written = 0;
            WriteFile(file, buffer, read, &written, nullptr);
        }
        result = read == 0 ? 0 : 1;
    }
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    if (request != nullptr) {
        InternetCloseHandle(request);
    }
    if (session != nullptr) {
        InternetCloseHandle(session);
    }
    return result;
}
