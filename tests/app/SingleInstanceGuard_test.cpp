#include "SingleInstanceGuard.h"

#include "Paths.h"
#include "TestEnv.h"
#include "TestWindow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// The guard between processes runs in copies of this binary: each child
// claims its own folder (GetModuleDir()) as a launcher would, and writes
// what it found to the file INSTANCE_RESULT names.

namespace fs = std::filesystem;

namespace {

// ---- child side -----------------------------------------------------------

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

// Stands in for the launcher's main window: same class, shown or hidden.
HWND CreateMainWindow(bool shown) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &MainWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = SingleInstanceGuard::kMainWindowClass;
    RegisterClassExW(&windowClass);
    HWND window = CreateWindowExW(0, SingleInstanceGuard::kMainWindowClass, L"launcher", WS_OVERLAPPEDWINDOW, 100,
                                  100, 300, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (shown) ShowWindow(window, SW_SHOW);
    return window;
}

void WriteResult(const std::string& text) {
    testenv::WriteFileBytes(testenv::Var(L"INSTANCE_RESULT"), text);
}

// ---- parent side ----------------------------------------------------------

struct Child {
    HANDLE process = nullptr;
    std::wstring result;

    ~Child() {
        if (process) {
            TerminateProcess(process, 1);
            CloseHandle(process);
        }
    }
    bool Exited(DWORD waitMs) const { return WaitForSingleObject(process, waitMs) == WAIT_OBJECT_0; }
    DWORD ExitCode() const {
        DWORD code = 1;
        GetExitCodeProcess(process, &code);
        return code;
    }
    std::string Result() const { return testenv::ReadFileBytes(result); }
};

// Starts <folder>\launcher.exe as a child; `hold`: the first stays with its window until told to quit.
void StartChild(Child& child, const std::wstring& folder, const wchar_t* role, bool shown) {
    static int count = 0;
    child.result = testenv::TempDir() + L"\\result" + std::to_wstring(++count) + L".txt";
    SetEnvironmentVariableW(L"INSTANCE_ROLE", role);
    SetEnvironmentVariableW(L"INSTANCE_SHOWN", shown ? L"1" : L"0");
    SetEnvironmentVariableW(L"INSTANCE_RESULT", child.result.c_str());
    std::wstring exe = folder + L"\\launcher.exe";
    std::wstring commandLine = L"\"" + exe + L"\" --gtest_filter=InstanceChild.Run";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                                  &startup, &process);
    SetEnvironmentVariableW(L"INSTANCE_ROLE", nullptr);
    ASSERT_TRUE(started);
    CloseHandle(process.hThread);
    child.process = process.hProcess;
}

// Waits for a result line from a child that keeps running; "" after the limit.
std::string WaitForResult(const Child& child) {
    for (int i = 0; i < 600 && child.Result().empty(); ++i) Sleep(100);
    return child.Result();
}

HWND ResultWindow(const std::string& result) {
    size_t at = result.find("hwnd=");
    return at == std::string::npos ? nullptr
                                   : reinterpret_cast<HWND>(static_cast<uintptr_t>(std::stoull(result.substr(at + 5))));
}

std::wstring MakeLauncherFolder(const std::wstring& name) {
    std::wstring folder = testenv::MakeTempSubdir(name);
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_TRUE(CopyFileW(self, (folder + L"\\launcher.exe").c_str(), FALSE));
    return folder;
}

bool IsLaunchersName(const std::wstring& name) {
    const std::wstring prefix = L"Local\\KorvaLauncher-";
    if (name.size() != prefix.size() + 64 || name.compare(0, prefix.size(), prefix) != 0) return false;
    return name.find_first_not_of(L"0123456789abcdef", prefix.size()) == std::wstring::npos;
}

}  // namespace

// Runs one launcher's claim when started by StartChild; skipped otherwise.
TEST(InstanceChild, Run) {
    std::wstring role = testenv::Var(L"INSTANCE_ROLE");
    if (role.empty()) GTEST_SKIP() << "runs only as the child of an instance guard test";
    SingleInstanceGuard guard(GetModuleDir());
    if (guard.AnotherIsRunning()) {
        WriteResult(std::string("another=1 activated=") + (guard.ActivateRunningInstance() ? "1" : "0"));
        return;
    }
    if (role != L"hold") {
        WriteResult("another=0");
        return;
    }
    HWND window = CreateMainWindow(testenv::Var(L"INSTANCE_SHOWN") == L"1");
    ASSERT_NE(nullptr, window);
    WriteResult("another=0 hwnd=" + std::to_string(reinterpret_cast<uintptr_t>(window)));
    // Held until the parent ends this process, as the launcher's own close does.
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
}

TEST(SingleInstanceGuard, NamesDependOnTheFolderAloneAndFitAnyFolder) {
    std::wstring base = testenv::MakeTempSubdir(L"游戏 文件夹 (x86)");
    std::wstring other = testenv::MakeTempSubdir(L"其他");
    std::wstring deep = base + L"\\" + std::wstring(120, L'长');
    ASSERT_TRUE(CreateDirs(deep));
    std::wstring upper = base;
    for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));

    std::wstring name = SingleInstanceGuard::MutexName(base);
    EXPECT_TRUE(IsLaunchersName(name)) << name.c_str();
    const struct {
        std::wstring folder;
        bool same;
    } cases[] = {
        {base, true},         {base + L"\\", true},          {upper, true},
        {base + L"\\.", true}, {deep + L"\\..", true},       {other, false},
        {deep, false},        {base + L" 2", false},        {L"Z:\\no\\such\\folder", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder.c_str());
        std::wstring caseName = SingleInstanceGuard::MutexName(c.folder);
        EXPECT_TRUE(IsLaunchersName(caseName)) << caseName.c_str();
        EXPECT_EQ(c.same, caseName == name);
    }
}

TEST(SingleInstanceGuard, TheFirstClaimHoldsUntilItsOwnerLetsGo) {
    std::wstring folder = testenv::MakeTempSubdir(L"claims");
    std::wstring elsewhere = testenv::MakeTempSubdir(L"claims elsewhere");
    {
        SingleInstanceGuard first(folder);
        EXPECT_FALSE(first.AnotherIsRunning());
        SingleInstanceGuard second(folder + L"\\");
        EXPECT_TRUE(second.AnotherIsRunning());
        EXPECT_FALSE(second.ActivateRunningInstance()) << "no window of another process";
        SingleInstanceGuard other(elsewhere);
        EXPECT_FALSE(other.AnotherIsRunning());
    }
    SingleInstanceGuard again(folder);
    EXPECT_FALSE(again.AnotherIsRunning());
}

// Two launchers in one folder and one in another: the second in the shared
// folder brings the first's shown window to the front and exits 0 at once;
// a hidden one stays hidden. The claim ends with the process, even a killed one.
TEST(SingleInstanceGuardProcesses, OneLauncherPerFolderAtATime) {
    std::wstring shared = MakeLauncherFolder(L"launcher 共享");
    std::wstring separate = MakeLauncherFolder(L"launcher 另一个");
    for (bool shown : {true, false}) {
        SCOPED_TRACE(shown ? "shown" : "hidden");
        Child first;
        StartChild(first, shared, L"hold", shown);
        std::string firstResult = WaitForResult(first);
        ASSERT_EQ(0u, firstResult.find("another=0 hwnd=")) << firstResult;
        HWND firstWindow = ResultWindow(firstResult);

        // Something else holds the front, as when the player starts the launcher again.
        TestWindow front([](UINT, WPARAM, LPARAM) { return false; });
        ShowWindow(front.Handle(), SW_SHOW);
        SetForegroundWindow(front.Handle());
        ASSERT_EQ(front.Handle(), GetForegroundWindow());

        Child second;
        StartChild(second, shared, L"hold", true);
        ASSERT_TRUE(second.Exited(60000));
        EXPECT_EQ(0u, second.ExitCode());
        EXPECT_EQ(shown ? "another=1 activated=1" : "another=1 activated=0", second.Result());
        EXPECT_FALSE(first.Exited(0)) << "the first launcher runs on";
        if (shown) {
            EXPECT_EQ(firstWindow, GetForegroundWindow());
        } else {
            EXPECT_FALSE(IsWindowVisible(firstWindow));
            EXPECT_EQ(front.Handle(), GetForegroundWindow());
        }

        Child elsewhere;
        StartChild(elsewhere, separate, L"probe", false);
        ASSERT_TRUE(elsewhere.Exited(60000));
        EXPECT_EQ("another=0", elsewhere.Result());

        TerminateProcess(first.process, 0);
        ASSERT_TRUE(first.Exited(60000));
        Child after;
        StartChild(after, shared, L"probe", false);
        ASSERT_TRUE(after.Exited(60000));
        EXPECT_EQ("another=0", after.Result());
    }
}

// The claim is the folder's lock file: whoever holds it open keeps the
// folder, a launcher of another session or account included (a session's
// mutex never sees those), and a claim, once made, holds the file.
TEST(SingleInstanceGuard, WhoeverHoldsTheFoldersLockFileHoldsTheFolder) {
    const std::wstring folder = testenv::MakeTempSubdir(L"lock file");
    const std::wstring lockFile = folder + L"\\" + SingleInstanceGuard::kLockFile;
    HANDLE other = CreateFileW(lockFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    {
        SingleInstanceGuard guard(folder);
        EXPECT_TRUE(guard.AnotherIsRunning());
    }
    CloseHandle(other);

    SingleInstanceGuard guard(folder);
    EXPECT_FALSE(guard.AnotherIsRunning());
    HANDLE later = CreateFileW(lockFile.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, later);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    if (later != INVALID_HANDLE_VALUE) CloseHandle(later);
}
