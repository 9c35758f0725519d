// Stand-in game of the demo package: records how it was started in
// DemoGame-started.txt beside itself, then shows a small window with its
// command line for a few seconds and exits. The window sits in the screen's
// top-left corner, beside the launcher's centred one rather than over it.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const wchar_t kClassName[] = L"KorvaDemoGame";
const UINT_PTR kExitTimer = 1;
const UINT kShownMs = 4000;

std::string ToUtf8(const wchar_t* text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes > 0 ? bytes - 1 : 0), '\0');
    if (bytes > 1) {
        WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], bytes, nullptr, nullptr);
    }
    return utf8;
}

bool WriteRecord(const wchar_t* commandLine) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring record(self);
    record = record.substr(0, record.find_last_of(L'\\') + 1) + L"DemoGame-started.txt";
    FILE* out = _wfopen(record.c_str(), L"wb");
    if (out == nullptr) {
        return false;
    }
    fprintf(out, "DemoGame started with command line: %s\n", ToUtf8(commandLine).c_str());
    fclose(out);
    return true;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_PAINT: {
        const auto* text = reinterpret_cast<const std::wstring*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT client;
        GetClientRect(window, &client);
        HBRUSH brush = CreateSolidBrush(RGB(0x1B, 0x23, 0x40));
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
        InflateRect(&client, -16, -16);
        DrawTextW(dc, text->c_str(), -1, &client, DT_LEFT | DT_WORDBREAK);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_TIMER:
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const wchar_t* commandLine = GetCommandLineW();
    if (!WriteRecord(commandLine)) {
        return 1;
    }
    const std::wstring text = L"演示游戏已启动 (demo game started)\n\n命令行 (command line):\n" + std::wstring(commandLine);

    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);
    const int width = 520;
    const int height = 180;
    HWND window = CreateWindowExW(0, kClassName, L"Korva 演示游戏", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 24, 24,
                                  width, height, nullptr, nullptr, instance, const_cast<std::wstring*>(&text));
    if (window == nullptr) {
        return 0;
    }
    ShowWindow(window, SW_SHOW);
    SetTimer(window, kExitTimer, kShownMs, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
