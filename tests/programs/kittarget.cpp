// A plain window for the end-to-end kit's own tests (tests/e2e/Kit_e2e.py):
// known title, class, size and colours, and a "button" that records clicks.
//
//   kittarget.exe RECORD [--hidden]
//
// Shown: a 720 x 496 popup centred on the primary monitor. The upper 412
// rows are kUpper; below them on kLower lies a bar from (16, 432) to
// (704, 446) whose left 40 % is kFill and the rest kTrack. A click in the
// button square (680, 10)-(710, 40) is recorded as "click X Y" (client
// coordinates) and ends the process with exit code 3; any other click is
// recorded as "miss X Y". --hidden creates the window without ever showing
// it and exits with 0 after 1.5 seconds.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

const wchar_t kClassName[] = L"KitTargetClass";
const wchar_t kTitle[] = L"Kit 测试窗口";
const int kWidth = 720;
const int kHeight = 496;
const COLORREF kUpper = RGB(0x20, 0x60, 0xA0);
const COLORREF kLower = RGB(0x2F, 0x31, 0x36);
const COLORREF kFill = RGB(0x3B, 0xA5, 0x5C);
const COLORREF kTrack = RGB(0x20, 0x22, 0x25);
const COLORREF kButton = RGB(0xED, 0x42, 0x45);
const RECT kBar = {16, 432, 704, 446};
const RECT kButtonRect = {680, 10, 710, 40};
const int kFillPercent = 40;
const int kClickExitCode = 3;

std::wstring g_record;

void Record(const char* line) {
    FILE* file = _wfopen(g_record.c_str(), L"ab");
    if (file != nullptr) {
        fprintf(file, "%s\n", line);
        fclose(file);
    }
}

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void Paint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    Fill(dc, RECT{0, 0, kWidth, 412}, kUpper);
    Fill(dc, RECT{0, 412, kWidth, kHeight}, kLower);
    const LONG split = kBar.left + (kBar.right - kBar.left) * kFillPercent / 100;
    Fill(dc, RECT{kBar.left, kBar.top, split, kBar.bottom}, kFill);
    Fill(dc, RECT{split, kBar.top, kBar.right, kBar.bottom}, kTrack);
    Fill(dc, kButtonRect, kButton);
    EndPaint(window, &ps);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_LBUTTONUP: {
        POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        char line[64];
        const bool hit = PtInRect(&kButtonRect, point) != FALSE;
        snprintf(line, sizeof(line), "%s %ld %ld", hit ? "click" : "miss", point.x, point.y);
        Record(line);
        if (hit) {
            ExitProcess(kClickExitCode);
        }
        return 0;
    }
    case WM_TIMER:
        Record("hidden-exit");
        PostQuitMessage(0);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int main() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc < 2) {
        return 2;
    }
    g_record = argv[1];
    const bool hidden = argc > 2 && lstrcmpW(argv[2], L"--hidden") == 0;
    LocalFree(argv);

    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    if (RegisterClassExW(&wc) == 0) {
        return 2;
    }
    const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    HWND window = CreateWindowExW(0, kClassName, kTitle, WS_POPUP, x, y, kWidth, kHeight, nullptr, nullptr,
                                  instance, nullptr);
    if (window == nullptr) {
        return 2;
    }
    if (hidden) {
        SetTimer(window, 1, 1500, nullptr);
    } else {
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
        Record("shown");
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
