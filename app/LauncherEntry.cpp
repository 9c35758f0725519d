#include "LauncherEntry.h"

#include "DownloadInstallManager.h"
#include "MainWindow.h"
#include "PaintManagerUI.h"
#include "TraceLogger.h"

#include <objbase.h>

#include <memory>

namespace {

const wchar_t kWindowTitle[] = L"Korva游戏下载器";
const DWORD kWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

}  // namespace

void RunLauncher(HINSTANCE instance, const std::wstring& commandLine, std::unique_ptr<CMainWindow> window) {
    Orvel::CPaintManagerUI::SetInstance(instance);
    if (FAILED(CoInitialize(nullptr))) {
        return;
    }
    if (window->Create(nullptr, kWindowTitle, kWindowStyle, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                       CW_USEDEFAULT, nullptr) == nullptr) {
        TRACE_LOG(TRACE_LEVEL_ERROR, L"main window not created! lasterror:%d", static_cast<int>(GetLastError()));
        window.reset();
        CoUninitialize();
        return;
    }
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
