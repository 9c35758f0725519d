// The process entry: the main window, the one download-install manager and
// the UI message loop. The process normally ends inside the window's close
// handling; the teardown below runs only when the loop ends another way.
#include "DownloadInstallManager.h"
#include "MainWindow.h"
#include "PaintManagerUI.h"
#include "Paths.h"
#include "SingleInstanceGuard.h"
#include "TextHelpers.h"
#include "TraceLogger.h"

#include <objbase.h>

#include <exception>
#include <memory>
#include <string>

namespace {

const wchar_t kWindowTitle[] = L"Korva游戏下载器";
const DWORD kWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

void RunLauncher(HINSTANCE instance, const char* narrowCommandLine) {
    // Two launchers beside one Game folder would install over each other.
    SingleInstanceGuard instanceGuard(GetModuleDir());
    if (instanceGuard.AnotherIsRunning()) {
        instanceGuard.ActivateRunningInstance();
        return;
    }
    const std::wstring commandLine = AnsiToWide(narrowCommandLine != nullptr ? narrowCommandLine : "");
    Orvel::CPaintManagerUI::SetInstance(instance);
    if (FAILED(CoInitialize(nullptr))) {
        return;
    }
    std::unique_ptr<CMainWindow> window(new CMainWindow());
    window->Create(nullptr, kWindowTitle, kWindowStyle, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                   CW_USEDEFAULT, nullptr);
    window->CenterOnOwner();
    ShowWindow(window->Handle(), SW_HIDE);

    std::shared_ptr<DownloadInstallManager> manager =
        std::make_shared<DownloadInstallManager>(window->Handle(), commandLine);
    manager->Start();
    Orvel::CPaintManagerUI::RunMessageLoop();

    window.reset();
    CoUninitialize();
    manager.reset();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    try {
        RunLauncher(instance, commandLine);
    } catch (const std::exception& error) {
        TRACE_LOG_AS(L"WinMain", TRACE_LEVEL_ERROR, L"launcher failed: %hs", error.what());
    } catch (...) {
        TRACE_LOG_AS(L"WinMain", TRACE_LEVEL_ERROR, L"launcher failed: unknown exception");
    }
    return 0;
}
