// Runs the launcher's flow exactly as the product does, with a hidden window
// that prints each message the main window would receive.
#include "DownloadInstallManager.h"
#include "StatHelper.h"
#include "TextHelpers.h"
#include "WindowMessages.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

bool g_finished = false;
// Every tenth percent is enough to watch the download move.
bool g_showProgress = false;

std::string Narrow(const wchar_t* text) {
    if (text == nullptr) {
        return std::string();
    }
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes > 0 ? bytes - 1 : 0), '\0');
    if (bytes > 1) {
        WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], bytes, nullptr, nullptr);
    }
    return utf8;
}

const wchar_t* Text(WPARAM wParam) { return reinterpret_cast<const wchar_t*>(wParam); }

LRESULT HandleDemoMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GAME_BACKGROUND:
        printf("window: background image %s\n", Narrow(Text(wParam)).c_str());
        return 1;
    case WM_GAME_TOTAL_SIZE:
        printf("window: total size %s\n", Narrow(Text(wParam)).c_str());
        return 0;
    case WM_SHOWWINDOW:
        printf("window: shown\n");
        return 0;
    case WM_GAME_PROGRESS:
        g_showProgress = wParam % 10 == 0;
        if (g_showProgress) {
            printf("window: progress %u%%", static_cast<unsigned>(wParam));
        }
        return 0;
    case WM_GAME_SPEED:
        if (g_showProgress) {
            printf("  speed %s", Narrow(Text(wParam)).c_str());
        }
        return 0;
    case WM_GAME_CURRENT_SIZE:
        if (g_showProgress) {
            printf("  downloaded %s\n", Narrow(Text(wParam)).c_str());
        }
        return 0;
    case WM_GAME_UNZIP_DONE:
        printf("window: package extracted, 100%%\n");
        return 0;
    case WM_GAME_INSTALL_FAILED:
        printf("window: install failed: %s\n", Narrow(Text(wParam)).c_str());
        g_finished = true;
        return 0;
    case WM_CLOSE:
        printf("window: close (the launcher ends here)\n");
        g_finished = true;
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// Nothing may escape a window procedure (see README, notes for contributors).
LRESULT CALLBACK DemoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return HandleDemoMessage(window, message, wParam, lParam);
    } catch (...) {
        printf("window: message %u failed with an exception\n", message);
        return 0;
    }
}

}  // namespace

int main() {
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (const char* url = getenv("DEMO_STAT_URL")) {
        StatHelper::Instance().SetEndpointForTesting(url);
    }
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DemoWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"DemoClass";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"DemoClass", L"Korva游戏下载器", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);

    // The launcher hands its own command line, less the program name, to the game.
    std::wstring commandLine = AnsiToWide(GetCommandLineA());
    size_t argsStart = commandLine.find(L".exe");
    argsStart = argsStart == std::wstring::npos ? commandLine.size() : commandLine.find_first_not_of(L"\" ", argsStart + 4);
    std::wstring params = argsStart == std::wstring::npos ? std::wstring() : commandLine.substr(argsStart);

    auto manager = std::make_shared<DownloadInstallManager>(window, params);
    manager->Start();

    const DWORD deadline = GetTickCount() + 120000;
    MSG msg;
    while (!g_finished && GetTickCount() < deadline) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
    }
    if (!g_finished) {
        printf("demo: timed out\n");
        return 1;
    }
    return 0;
}
