#include "LauncherEntry.h"

#include "FakeTraceController.h"
#include "MainWindow.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A main window the system refuses to create, as when the desktop has no room left.
class RefusedMainWindow : public CMainWindow {
public:
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        return message == WM_CREATE ? -1 : CMainWindow::ProcessMessage(message, wParam, lParam);
    }
};

}  // namespace

// Without a window the launcher ends at once: it never starts the manager and
// never enters a message loop nobody could end (holding its folder for ever).
TEST(LauncherEntry, AMainWindowThatCannotBeCreatedEndsTheLauncherAtOnce) {
    TraceCapture capture;
    // Should the loop run all the same, this ends it instead of the test.
    PostQuitMessage(0);
    RunLauncher(GetModuleHandleW(nullptr), L"", std::unique_ptr<CMainWindow>(new RefusedMainWindow()));

    size_t refusals = 0;
    for (const std::wstring& line : capture.Lines())
        refusals += TraceMessage(line).compare(0, 24, L"main window not created!") == 0;
    EXPECT_EQ(1u, refusals);
    EXPECT_FALSE(capture.HasMessage(L"打开配置文件失败！")) << "the manager started";
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "a message loop ran";
}
