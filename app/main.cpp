// The process entry: claims the launcher's folder, then runs the launcher
// (LauncherEntry.h). The process normally ends inside the window's close
// handling; the teardown runs only when the loop ends another way.
#include "LauncherEntry.h"
#include "MainWindow.h"
#include "Paths.h"
#include "SingleInstanceGuard.h"
#include "TextHelpers.h"
#include "TraceLogger.h"

#include <exception>
#include <memory>
#include <string>

namespace {

void RunProcess(HINSTANCE instance, const char* narrowCommandLine) {
    // Two launchers beside one Game folder would install over each other.
    SingleInstanceGuard instanceGuard(GetModuleDir());
    if (instanceGuard.AnotherIsRunning()) {
        instanceGuard.ActivateRunningInstance();
        return;
    }
    const std::wstring commandLine = AnsiToWide(narrowCommandLine != nullptr ? narrowCommandLine : "");
    RunLauncher(instance, commandLine, std::unique_ptr<CMainWindow>(new CMainWindow()));
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    try {
        RunProcess(instance, commandLine);
    } catch (const std::exception& error) {
        TRACE_LOG_AS(L"WinMain", TRACE_LEVEL_ERROR, L"launcher failed: %hs", error.what());
    } catch (...) {
        TRACE_LOG_AS(L"WinMain", TRACE_LEVEL_ERROR, L"launcher failed: unknown exception");
    }
    return 0;
}
