#include "DownloadInstallManager.h"

#include "CollectorLog.h"
#include "FakeTraceController.h"
#include "FailureReasons.h"
#include "GameDownloadManager.h"
#include "GameFolder.h"
#include "Paths.h"
#include "StatHelper.h"
#include "TestEnv.h"
#include "TestWindow.h"
#include "TextHelpers.h"
#include "WindowMessages.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

// Each flow runs in a child process started from a copy of this binary in a
// fresh folder laid out like an installed launcher (the manager finds its
// configuration, its Game folder and minizip.dll beside the executable). The
// child records what its hidden main window receives; the parent checks it.
// The failure message is recorded with the number of play events the
// collector held when it arrived, so a test sees which came first.

namespace fs = std::filesystem;

namespace {

struct WindowMessage {
    UINT id = 0;
    WPARAM value = 0;
    std::wstring text;
};

// ---- child side -----------------------------------------------------------

bool CarriesText(UINT id) {
    return id == WM_GAME_BACKGROUND || id == WM_GAME_SPEED || id == WM_GAME_CURRENT_SIZE ||
           id == WM_GAME_TOTAL_SIZE || id == WM_GAME_INSTALL_FAILED;
}

size_t CollectedCount() { return ReadCollectorLog(testenv::Var(L"COLLECTOR_LOG")).size(); }

// Records every message the manager sends to its window, with copies of the texts.
TestWindow::Handler RecordInto(std::vector<WindowMessage>& received) {
    return [&received](UINT id, WPARAM wParam, LPARAM) {
        bool recorded = (id >= WM_GAME_PROGRESS && id <= WM_GAME_INSTALL_FAILED) || id == WM_SHOWWINDOW ||
                        id == WM_CLOSE;
        if (!recorded) return false;
        WindowMessage message;
        message.id = id;
        message.value = id == WM_GAME_INSTALL_FAILED ? CollectedCount() : CarriesText(id) ? 0 : wParam;
        if (CarriesText(id) && wParam != 0) {
            message.text = reinterpret_cast<const wchar_t*>(wParam);
        }
        received.push_back(message);
        return true;
    };
}

bool FlowEnded(const std::vector<WindowMessage>& received) {
    return !received.empty() &&
           (received.back().id == WM_CLOSE || received.back().id == WM_GAME_INSTALL_FAILED);
}

// Records travel between the processes as UTF-8 lines.
void WriteLines(const std::wstring& path, const std::vector<std::wstring>& lines) {
    std::string bytes;
    for (const std::wstring& line : lines) {
        int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0,
                                       nullptr, nullptr);
        std::string utf8(static_cast<size_t>(size), '\0');
        WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &utf8[0], size, nullptr,
                            nullptr);
        bytes += utf8 + "\n";
    }
    testenv::WriteFileBytes(path, bytes);
}

// The room the child's disk has: LAUNCHER_FREE_BYTES. With
// LAUNCHER_SPACE_QUERY_THROWS_AT=n the n-th question throws instead.
bool FreeSpaceFromEnvironment(const std::wstring&, uint64_t& freeBytes) {
    static int queries = 0;
    if (++queries == _wtoi(testenv::Var(L"LAUNCHER_SPACE_QUERY_THROWS_AT").c_str())) {
        throw std::runtime_error("space query failed");
    }
    freeBytes = _wtoi64(testenv::Var(L"LAUNCHER_FREE_BYTES").c_str());
    return true;
}

// Whether any of the '|'-separated paths exists.
bool AnyExists(const std::wstring& paths) {
    std::wistringstream list(paths);
    std::wstring path;
    while (std::getline(list, path, L'|')) {
        if (PathExists(path)) return true;
    }
    return false;
}

// ---- parent side ----------------------------------------------------------

struct FlowResult {
    std::vector<WindowMessage> messages;
    std::vector<std::wstring> trace;
    bool childExited = false;

    bool Received(UINT id) const {
        for (const WindowMessage& message : messages) {
            if (message.id == id) return true;
        }
        return false;
    }
};

std::vector<std::wstring> ReadLines(const std::wstring& path) {
    std::istringstream in(testenv::ReadFileBytes(path));
    std::vector<std::wstring> lines;
    std::string line;
    while (std::getline(in, line)) {
        std::wstring wide;
        Utf8ToWide(line.data(), static_cast<int>(line.size()), wide);
        lines.push_back(wide);
    }
    return lines;
}

std::string ServerUrl(const std::string& route) {
    return "http://127.0.0.1:" + WideToAnsi(testenv::Var(L"SERVER_PORT")) + route;
}

std::wstring FakeGame() { return testenv::BuildDir() + L"\\tests\\programs\\fakegame.exe"; }

class LauncherFlowTest : public ::testing::Test {
protected:
    // A fresh launcher folder with this binary, minizip.dll and the configuration.
    std::wstring MakeLauncher(const std::wstring& name, const std::string& configJson) {
        std::wstring folder = testenv::MakeTempSubdir(name);
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        EXPECT_TRUE(CopyFileW(self, (folder + L"\\launcher.exe").c_str(), FALSE));
        EXPECT_TRUE(CopyFileW(testenv::Var(L"MINIZIP_DLL").c_str(), (folder + L"\\minizip.dll").c_str(), FALSE));
        fs::create_directories(fs::path(folder) / L"config");
        EXPECT_TRUE(testenv::WriteFileBytes(folder + L"\\config\\config.json", configJson));
        return folder;
    }

    // Starts the child launcher in `folder`; null when it could not be started.
    HANDLE StartLauncher(const std::wstring& folder, const std::wstring& launchParams, DWORD idleWaitMs = 0) {
        SetEnvironmentVariableW(L"LAUNCHER_CHILD", L"1");
        SetEnvironmentVariableW(L"LAUNCHER_PARAMS", launchParams.c_str());
        SetEnvironmentVariableW(L"LAUNCHER_IDLE_WAIT_MS", std::to_wstring(idleWaitMs).c_str());
        std::wstring exe = folder + L"\\launcher.exe";
        std::wstring commandLine = L"\"" + exe + L"\" --gtest_filter=LauncherChild.RunFlow";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        BOOL started = CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                      folder.c_str(), &startup, &process);
        SetEnvironmentVariableW(L"LAUNCHER_CHILD", nullptr);
        EXPECT_TRUE(started);
        if (!started) return nullptr;
        CloseHandle(process.hThread);
        return process.hProcess;
    }

    FlowResult RunLauncher(const std::wstring& folder, const std::wstring& launchParams, DWORD idleWaitMs = 0) {
        FlowResult result;
        HANDLE process = StartLauncher(folder, launchParams, idleWaitMs);
        if (process == nullptr) return result;
        result.childExited = WaitForSingleObject(process, 120000) == WAIT_OBJECT_0;
        if (!result.childExited) TerminateProcess(process, 1);
        CloseHandle(process);

        for (const std::wstring& line : ReadLines(folder + L"\\messages.txt")) {
            WindowMessage message;
            std::wistringstream fields(line);
            unsigned long long value = 0;
            fields >> message.id >> value;
            message.value = static_cast<WPARAM>(value);
            if (fields.peek() == L' ') fields.get();
            std::getline(fields, message.text);
            result.messages.push_back(message);
        }
        result.trace = ReadLines(folder + L"\\trace.txt");
        return result;
    }

    std::vector<CollectedRequest> PlayEvents() {
        return ReadCollectorLog(testenv::Var(L"COLLECTOR_LOG"));
    }

    // The one play event sent since `before` requests were logged.
    StatReport OnePlayEventSince(size_t before) {
        std::vector<CollectedRequest> requests = PlayEvents();
        StatReport report;
        EXPECT_EQ(before + 1, requests.size());
        if (requests.size() == before + 1) {
            EXPECT_TRUE(ParseStatReport(requests.back().body, report));
            EXPECT_EQ("/api/proxy/tesmar/report/v2", requests.back().path);
        }
        return report;
    }

    // The checks of a failure that reached the window: its reason, shown
    // before the play event "0" of `gameId` was sent (none when it is "").
    void ExpectFailureShownThenReported(const FlowResult& flow, const std::wstring& reason, size_t before,
                                        const std::string& gameId) {
        ASSERT_TRUE(flow.childExited);
        ASSERT_FALSE(flow.messages.empty());
        EXPECT_EQ(static_cast<UINT>(WM_GAME_INSTALL_FAILED), flow.messages.back().id);
        EXPECT_EQ(reason, flow.messages.back().text);
        EXPECT_EQ(before, flow.messages.back().value) << "the play event came before the reason";
        EXPECT_FALSE(flow.Received(WM_CLOSE));
        if (gameId.empty()) {
            EXPECT_EQ(before, PlayEvents().size()) << "no configuration names a game to report on";
            return;
        }
        StatReport report = OnePlayEventSince(before);
        EXPECT_EQ("0", report.extdata["is_success"]);
        EXPECT_EQ(gameId, report.extdata["game_id"]);
    }

    static std::string Config(const std::string& members) { return "{\"GameInfo\": {" + members + "}}"; }

    // A launcher for the stand-in game served at `route`; `more` adds members.
    std::wstring MakeGameLauncher(const std::wstring& name, const std::string& route, const std::string& gameId,
                                  const std::string& more = "") {
        return MakeLauncher(name, Config(R"("start_path": "bin\\fakegame.exe", "game_id": ")" + gameId +
                                         R"(", "game_url": ")" + ServerUrl(route) + "\"" + more));
    }
};

bool HasTraceMessage(const FlowResult& flow, const std::wstring& message, bool prefixOnly = false) {
    for (const std::wstring& line : flow.trace) {
        std::wstring text = TraceMessage(line);
        if (prefixOnly ? text.compare(0, message.size(), message) == 0 : text == message) return true;
    }
    return false;
}

bool HasTraceFunction(const FlowResult& flow, const std::wstring& function) {
    for (const std::wstring& line : flow.trace) {
        if (TraceFunction(line) == function) return true;
    }
    return false;
}

// The game records its command line in Game\bin\fakegame.record.txt (see
// tests/programs/fakegame.cpp); "" when it never ran.
std::wstring GameRecord(const std::wstring& folder) {
    std::string bytes = testenv::ReadFileBytes(folder + L"\\Game\\bin\\fakegame.record.txt");
    std::wstring text;
    Utf8ToWide(bytes.data(), static_cast<int>(bytes.size()), text);
    return text;
}

bool WaitForGameRecord(const std::wstring& folder) {
    for (int i = 0; i < 100 && GameRecord(folder).empty(); ++i) Sleep(100);
    return !GameRecord(folder).empty();
}

// An environment variable the child launcher reads, set for this scope.
class ChildSetting {
public:
    ChildSetting(const wchar_t* name, const wchar_t* value) : name_(name) { SetEnvironmentVariableW(name, value); }
    ~ChildSetting() { SetEnvironmentVariableW(name_, nullptr); }
    ChildSetting(const ChildSetting&) = delete;
    ChildSetting& operator=(const ChildSetting&) = delete;

private:
    const wchar_t* name_;
};

}  // namespace

// Runs one launcher flow when started by RunLauncher; skipped otherwise.
TEST(LauncherChild, RunFlow) {
    if (testenv::Var(L"LAUNCHER_CHILD") != L"1") {
        GTEST_SKIP() << "runs only as the child of a launcher flow test";
    }
    TraceCapture capture;
    std::wstring collector = testenv::Var(L"COLLECTOR_URL");
    StatHelper::Instance().SetEndpointForTesting(WideToAnsi(collector));

    std::vector<WindowMessage> received;
    TestWindow window(RecordInto(received));
    ASSERT_NE(nullptr, window.Handle());

    auto manager = std::make_shared<DownloadInstallManager>(window.Handle(), testenv::Var(L"LAUNCHER_PARAMS"));
    int receiveTimeoutMs = _wtoi(testenv::Var(L"LAUNCHER_RECEIVE_TIMEOUT_MS").c_str());
    if (receiveTimeoutMs != 0) manager->SetDownloadTimeoutForTesting(receiveTimeoutMs);
    int stallBudgetMs = _wtoi(testenv::Var(L"LAUNCHER_STALL_BUDGET_MS").c_str());
    if (stallBudgetMs != 0) manager->SetStallBudgetForTesting(static_cast<DWORD>(stallBudgetMs));
    if (!testenv::Var(L"LAUNCHER_FREE_BYTES").empty()) manager->SetFreeSpaceQueryForTesting(&FreeSpaceFromEnvironment);
    manager->Start();
    // Whether LAUNCHER_PROBE named something that was still there when Start() returned.
    if (!testenv::Var(L"LAUNCHER_PROBE").empty()) {
        testenv::WriteFileBytes(GetModuleDir() + L"\\probe.txt", AnyExists(testenv::Var(L"LAUNCHER_PROBE")) ? "1" : "0");
    }

    // Flows that end in silence (an empty link) are watched for a short while only.
    DWORD idleWait = static_cast<DWORD>(_wtoi(testenv::Var(L"LAUNCHER_IDLE_WAIT_MS").c_str()));
    const DWORD deadline = GetTickCount() + (idleWait != 0 ? idleWait : 90000);
    MSG msg;
    while (!FlowEnded(received) && static_cast<LONG>(deadline - GetTickCount()) > 0) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
    // A failed flow must stay failed: nothing, WM_CLOSE included, may follow.
    // The play event comes after the failure message, so the child waits for
    // it (LAUNCHER_REPORT_WAIT_MS at most, 10 s by default) before it ends.
    if (FlowEnded(received) && received.back().id == WM_GAME_INSTALL_FAILED) {
        const std::wstring reportWait = testenv::Var(L"LAUNCHER_REPORT_WAIT_MS");
        const DWORD reported = GetTickCount() + (reportWait.empty() ? 10000 : _wtoi(reportWait.c_str()));
        const size_t seen = received.back().value;
        while (CollectedCount() == seen && static_cast<LONG>(reported - GetTickCount()) > 0) Sleep(20);
        const DWORD settle = GetTickCount() + 500;
        while (static_cast<LONG>(settle - GetTickCount()) > 0) {
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            else Sleep(10);
        }
    }

    std::vector<std::wstring> lines;
    for (const WindowMessage& message : received) {
        lines.push_back(std::to_wstring(message.id) + L" " + std::to_wstring(message.value) + L" " + message.text);
    }
    WriteLines(GetModuleDir() + L"\\messages.txt", lines);
    WriteLines(GetModuleDir() + L"\\trace.txt", capture.Lines());
}

TEST_F(LauncherFlowTest, InstalledGameStartsAtOnceWithoutShowingTheWindow) {
    std::wstring folder = MakeLauncher(L"installed", Config(R"("start_path": "bin\\fakegame.exe",
        "game_url": ")" + ServerUrl("/files/game.zip") + R"(", "game_id": "g-1", "file_size": 12345)"));
    fs::create_directories(fs::path(folder) / L"Game" / L"bin");
    ASSERT_TRUE(CopyFileW(FakeGame().c_str(), (folder + L"\\Game\\bin\\fakegame.exe").c_str(), FALSE));
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\Game\\keep.txt", "old install"));
    size_t before = PlayEvents().size();

    FlowResult flow = RunLauncher(folder, L"-token abc \"two words\"");

    ASSERT_TRUE(flow.childExited);
    ASSERT_EQ(1u, flow.messages.size());
    EXPECT_EQ(static_cast<UINT>(WM_CLOSE), flow.messages[0].id);
    EXPECT_TRUE(PathExists(folder + L"\\Game\\keep.txt"));
    ASSERT_TRUE(WaitForGameRecord(folder));
    EXPECT_NE(std::wstring::npos, GameRecord(folder).find(L"-token abc \"two words\""));
    StatReport report = OnePlayEventSince(before);
    EXPECT_EQ("game_event", report.category);
    EXPECT_EQ("playvane_launcher_game_play", report.action);
    EXPECT_EQ("1", report.extdata["is_success"]);
    EXPECT_EQ("g-1", report.extdata["game_id"]);
}

TEST_F(LauncherFlowTest, FreshInstallDownloadsExtractsAndStartsTheGame) {
    std::wstring folder = MakeLauncher(L"fresh", Config(R"("start_path": "bin\\fakegame.exe",
        "background": "skin\\bg.png", "game_url": ")" + ServerUrl("/files/game.zip") +
        R"(", "game_id": "g-7", "file_size": 12345)"));
    ASSERT_TRUE(CreateDirs(folder + L"\\Game"));
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\Game\\old.txt", "stale"));
    size_t before = PlayEvents().size();

    FlowResult flow = RunLauncher(folder, L"-channel 7");

    ASSERT_TRUE(flow.childExited);
    const std::vector<WindowMessage>& m = flow.messages;
    ASSERT_GE(m.size(), 6u);
    EXPECT_EQ(static_cast<UINT>(WM_GAME_BACKGROUND), m[0].id);
    EXPECT_EQ(folder + L"\\skin\\bg.png", m[0].text);
    EXPECT_EQ(static_cast<UINT>(WM_GAME_TOTAL_SIZE), m[1].id);
    EXPECT_EQ(L"12KB", m[1].text);
    EXPECT_EQ(static_cast<UINT>(WM_SHOWWINDOW), m[2].id);
    EXPECT_EQ(static_cast<UINT>(WM_GAME_TOTAL_SIZE), m[3].id);
    EXPECT_EQ(L"9.5MB", m[3].text);

    // Then progress triples with rising percentages, extraction, close. The
    // downloaded size follows the percentage of the 10,000,000-byte package.
    std::map<unsigned, std::wstring> expectedSizes = {
        {1, L"98KB"}, {10, L"977KB"}, {11, L"1.0MB"}, {50, L"4.8MB"}, {99, L"9.4MB"}, {100, L"9.5MB"},
    };
    size_t i = 4;
    unsigned lastPercent = 0;
    for (; i + 2 < m.size() && m[i].id == WM_GAME_PROGRESS; i += 3) {
        EXPECT_GT(m[i].value, lastPercent);
        lastPercent = static_cast<unsigned>(m[i].value);
        EXPECT_EQ(static_cast<UINT>(WM_GAME_SPEED), m[i + 1].id);
        EXPECT_NE(std::wstring::npos, m[i + 1].text.find(L"/s"));
        EXPECT_EQ(static_cast<UINT>(WM_GAME_CURRENT_SIZE), m[i + 2].id);
        auto expected = expectedSizes.find(lastPercent);
        if (expected != expectedSizes.end()) {
            EXPECT_EQ(expected->second, m[i + 2].text) << lastPercent << "%";
            expectedSizes.erase(expected);
        }
    }
    EXPECT_TRUE(expectedSizes.empty()) << "percentages never shown: " << expectedSizes.size();
    EXPECT_EQ(100u, lastPercent);
    ASSERT_EQ(i + 2, m.size());
    EXPECT_EQ(static_cast<UINT>(WM_GAME_UNZIP_DONE), m[i].id);
    EXPECT_EQ(static_cast<UINT>(WM_CLOSE), m[i + 1].id);

    EXPECT_FALSE(PathExists(folder + L"\\Game\\old.txt"));
    EXPECT_FALSE(PathExists(folder + L"\\Game\\GameSetup.zip"));
    EXPECT_EQ(testenv::ReadFileBytes(testenv::Var(L"PACKAGE_README")),
              testenv::ReadFileBytes(folder + L"\\Game\\data\\readme.txt"));
    ASSERT_TRUE(WaitForGameRecord(folder));
    EXPECT_NE(std::wstring::npos, GameRecord(folder).find(L"-channel 7"));
    StatReport report = OnePlayEventSince(before);
    EXPECT_EQ("1", report.extdata["is_success"]);
    EXPECT_EQ("g-7", report.extdata["game_id"]);
}

// A configuration that cannot serve an install stops it before anything on
// disk changes (the old Game folder stays as it was, nothing is fetched):
// the reason shows, closing is allowed, and the play event "0" follows when
// a configuration named the game.
TEST_F(LauncherFlowTest, AConfigurationThatCannotServeAnInstallStopsBeforeAnythingChanges) {
    const std::string url = R"("game_url": ")" + ServerUrl("/files/game.zip") + "\"";
    const struct {
        const wchar_t* name;
        bool hasConfig;
        std::string members;
        const wchar_t* reason;
    } cases[] = {
        {L"no configuration", false, "", L"未找到游戏下载地址，请重新下载启动器"},
        {L"no game_url", true, R"("start_path": "bin\\fakegame.exe", "game_id": "g-11")",
         L"未找到游戏下载地址，请重新下载启动器"},
        {L"no start_path", true, R"("game_id": "g-11", )" + url, L"未配置游戏启动文件，请重新下载启动器"},
        {L"malformed connections", true, R"("start_path": "bin\\fakegame.exe", "game_id": "g-11", "connections": 0, )" + url,
         L"游戏下载配置错误，请重新下载启动器"},
        {L"malformed manifest_url", true,
         R"("start_path": "bin\\fakegame.exe", "game_id": "g-11", "manifest_url": "latest.json")",
         L"游戏下载配置错误，请重新下载启动器"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::wstring folder = MakeLauncher(c.name, Config(c.members));
        if (!c.hasConfig) fs::remove(fs::path(folder) / L"config" / L"config.json");
        ASSERT_TRUE(CreateDirs(folder + L"\\Game"));
        ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\Game\\keep.txt", "old install"));
        size_t before = PlayEvents().size();

        ChildSetting reportWait(L"LAUNCHER_REPORT_WAIT_MS", c.hasConfig ? nullptr : L"1500");
        FlowResult flow = RunLauncher(folder, L"");

        ExpectFailureShownThenReported(flow, c.reason, before, c.hasConfig ? "g-11" : "");
        ASSERT_EQ(3u, flow.messages.size());
        EXPECT_EQ(static_cast<UINT>(WM_GAME_TOTAL_SIZE), flow.messages[0].id);
        EXPECT_EQ(static_cast<UINT>(WM_SHOWWINDOW), flow.messages[1].id);
        EXPECT_EQ(testenv::ReadFileBytes(folder + L"\\Game\\keep.txt"), "old install");
        EXPECT_FALSE(PathExists(folder + L"\\Game\\GameSetup.zip"));
    }
}

// A download that did not finish whole is reported as a download failure and
// never reaches extraction; only a whole package that cannot be unpacked is
// an install failure.
TEST_F(LauncherFlowTest, FailedDownloadsAndPackagesEndWithTheirOwnReason) {
    const std::wstring downloadFailed = L"游戏下载失败，请检查网络后重新打开启动器";
    const std::wstring installFailed = L"游戏安装失败，请重新打开启动器";
    struct Case {
        const char* route;
        const std::wstring& reason;
    } cases[] = {
        {"/status/404", downloadFailed},              // no package file at all
        {"/chunked/game.zip", downloadFailed},        // no Content-Length
        {"/short/3000000/game.zip", downloadFailed},  // a partial package on disk
        {"/reset/3000000/game.zip", downloadFailed},
        {"/flaky/1000000/game.zip", downloadFailed},  // cut more often than reopened
        {"/files/corrupt.zip", installFailed},        // whole, but not an archive
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.route);
        std::wstring folder = MakeGameLauncher(L"fail" + std::to_wstring(index++), c.route, "g-9");
        size_t before = PlayEvents().size();

        FlowResult flow = RunLauncher(folder, L"");

        ExpectFailureShownThenReported(flow, c.reason, before, "g-9");
        EXPECT_EQ(&c.reason == &installFailed, HasTraceFunction(flow, L"DownloadInstallManager::DecompressionGame"));
        EXPECT_FALSE(flow.Received(WM_GAME_UNZIP_DONE));
        EXPECT_FALSE(PathExists(folder + L"\\Game\\GameSetup.zip"));
        // Only an extraction that began leaves the folder marked half installed.
        EXPECT_EQ(&c.reason == &installFailed, IsInstallIncomplete(folder + L"\\Game"));
        EXPECT_TRUE(GameRecord(folder).empty());
    }
}

// The server sends the headers and the first 100 KB, then keeps the
// connection open in silence, on every request. With the receive time-out
// shortened to 1 s and the stall budget to 3 s the download fails after the
// read retries and before the reopens are spent, as any failed download does.
TEST_F(LauncherFlowTest, SilentConnectionEndsTheDownloadWithAFailure) {
    std::wstring folder = MakeGameLauncher(L"stall", "/stall/100000/game.zip", "g-5");
    size_t before = PlayEvents().size();

    ChildSetting receiveTimeout(L"LAUNCHER_RECEIVE_TIMEOUT_MS", L"1000");
    ChildSetting stallBudget(L"LAUNCHER_STALL_BUDGET_MS", L"3000");
    FlowResult flow = RunLauncher(folder, L"", 20000);

    ExpectFailureShownThenReported(flow, L"游戏下载失败，请检查网络后重新打开启动器", before, "g-5");
    EXPECT_FALSE(flow.Received(WM_GAME_UNZIP_DONE));
    EXPECT_TRUE(HasTraceMessage(flow, L"InternetReadFile failed! lasterror:", true));
    EXPECT_TRUE(HasTraceMessage(flow, L"Download stalled!", true));
    EXPECT_FALSE(HasTraceMessage(flow, L"Body ended early!", true));
    EXPECT_FALSE(PathExists(folder + L"\\Game\\GameSetup.zip"));
}

TEST_F(LauncherFlowTest, ZeroContentLengthReplacesTheConfiguredTotalText) {
    std::wstring folder = MakeLauncher(L"zero", Config(R"("start_path": "bin\\fakegame.exe",
        "game_url": ")" + ServerUrl("/files/empty.zip") + R"(", "file_size": 10000000)"));

    FlowResult flow = RunLauncher(folder, L"");

    ASSERT_TRUE(flow.childExited);
    std::vector<std::wstring> totals;
    for (const WindowMessage& message : flow.messages) {
        if (message.id == WM_GAME_TOTAL_SIZE) totals.push_back(message.text);
    }
    ASSERT_EQ(2u, totals.size());
    EXPECT_EQ(L"9.5MB", totals[0]);
    EXPECT_EQ(L"0B", totals[1]);
    EXPECT_EQ(static_cast<UINT>(WM_GAME_INSTALL_FAILED), flow.messages.back().id);
}

// The server cuts the body every 3 MB and honours Range: the player sees one
// download that only moves forward, and the game starts.
TEST_F(LauncherFlowTest, ACutDownloadResumesAndTheGameStarts) {
    std::wstring folder = MakeGameLauncher(L"resume", "/flaky/3000000/game.zip", "g-2");
    size_t before = PlayEvents().size();

    FlowResult flow = RunLauncher(folder, L"-resumed");

    ASSERT_TRUE(flow.childExited);
    ASSERT_FALSE(flow.messages.empty());
    EXPECT_EQ(static_cast<UINT>(WM_CLOSE), flow.messages.back().id);
    size_t totals = 0;
    WPARAM lastPercent = 0;
    for (const WindowMessage& message : flow.messages) {
        totals += message.id == WM_GAME_TOTAL_SIZE;
        if (message.id == WM_GAME_PROGRESS) {
            EXPECT_GT(message.value, lastPercent);
            lastPercent = message.value;
        }
    }
    EXPECT_EQ(2u, totals) << "the configured total, then the server's once";
    EXPECT_EQ(100u, lastPercent);
    EXPECT_TRUE(HasTraceMessage(flow, L"Reopen 3 of 5 at offset:9000000, dwContentLen:10000000"));
    EXPECT_EQ(testenv::ReadFileBytes(testenv::Var(L"PACKAGE_README")),
              testenv::ReadFileBytes(folder + L"\\Game\\data\\readme.txt"));
    ASSERT_TRUE(WaitForGameRecord(folder));
    EXPECT_EQ("1", OnePlayEventSince(before).extdata["is_success"]);
}

// The digest is checked after the download and before anything is unpacked;
// either case of hex digits is the same digest. A malformed one stops the
// install before anything is downloaded: a typo must not turn the check off.
TEST_F(LauncherFlowTest, PackageChecksumDecidesBeforeExtraction) {
    const std::string digest = WideToAnsi(testenv::Var(L"GAME_SHA256"));
    ASSERT_EQ(64u, digest.size());
    std::string upper = digest;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    std::string wrong = digest;
    wrong[10] = wrong[10] == '0' ? '1' : '0';
    const std::wstring mismatch = L"游戏包校验失败，请重新打开启动器";
    const std::wstring malformed = L"游戏校验值配置错误，请重新下载启动器";
    const struct {
        std::string sha256;
        const std::wstring* reason;  // null: installs
    } cases[] = {{digest, nullptr}, {upper, nullptr}, {wrong, &mismatch}, {digest.substr(2), &malformed}};
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sha256);
        const bool installs = c.reason == nullptr;
        std::wstring folder = MakeGameLauncher(L"sha" + std::to_wstring(index++), "/files/game.zip", "g-3",
                                               R"(, "sha256": ")" + c.sha256 + "\"");
        size_t before = PlayEvents().size();

        FlowResult flow = RunLauncher(folder, L"");

        ASSERT_TRUE(flow.childExited);
        EXPECT_EQ(installs, PathExists(folder + L"\\Game\\data\\readme.txt"));
        EXPECT_FALSE(PathExists(folder + L"\\Game\\GameSetup.zip"));
        EXPECT_EQ(c.reason == &malformed, HasTraceMessage(flow, L"sha256格式错误！"));
        EXPECT_EQ(c.reason != &malformed, flow.Received(WM_GAME_PROGRESS)) << "downloaded or not";
        if (installs) {
            EXPECT_TRUE(flow.Received(WM_CLOSE));
            EXPECT_EQ("1", OnePlayEventSince(before).extdata["is_success"]);
            continue;
        }
        ExpectFailureShownThenReported(flow, *c.reason, before, "g-3");
        EXPECT_FALSE(flow.Received(WM_GAME_UNZIP_DONE));
        EXPECT_FALSE(PathExists(folder + L"\\Game\\bin"));
        EXPECT_FALSE(IsInstallIncomplete(folder + L"\\Game"));
        if (c.reason == &mismatch) {
            EXPECT_TRUE(HasTraceMessage(flow, L"package sha256 mismatch! expected:" + AnsiToWide(wrong) +
                                                  L", actual:" + AnsiToWide(digest)));
        }
    }
}

// Too little room for the package stops before its body is read; too little
// for the unpacked game stops before extraction. Nothing is written either way.
TEST_F(LauncherFlowTest, TooLittleDiskSpaceEndsTheInstallBeforeWriting) {
    const struct {
        const char* route;
        const wchar_t* freeBytes;
        const wchar_t* checkedBy;
    } cases[] = {
        {"/files/game.zip", L"1000", L"CHttpDownloader::DownloadThreadProc"},
        {"/files/zeros.zip", L"20000000", L"DownloadInstallManager::PackageFitsOnDisk"},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.route);
        std::wstring folder = MakeGameLauncher(L"space" + std::to_wstring(index++), c.route, "g-4");
        size_t before = PlayEvents().size();

        ChildSetting freeBytes(L"LAUNCHER_FREE_BYTES", c.freeBytes);
        FlowResult flow = RunLauncher(folder, L"");

        ExpectFailureShownThenReported(flow, L"磁盘空间不足，请清理磁盘后重新打开启动器", before, "g-4");
        EXPECT_FALSE(flow.Received(WM_GAME_UNZIP_DONE));
        const std::wstring shortfall = L"Not enough disk space! free:" + std::wstring(c.freeBytes) + L",";
        bool logged = false;
        for (const std::wstring& line : flow.trace) {
            logged |= TraceFunction(line) == c.checkedBy && TraceMessage(line).compare(0, shortfall.size(), shortfall) == 0;
        }
        EXPECT_TRUE(logged);
        EXPECT_TRUE(PathExists(folder + L"\\Game"));
        EXPECT_TRUE(fs::is_empty(fs::path(folder) / L"Game")) << "no package, no entry, no marker";
    }
}

// A launcher stopped during extraction leaves its marker beside a start file
// that already exists: the next start installs again instead of launching.
TEST_F(LauncherFlowTest, AHalfInstalledGameIsInstalledAgain) {
    std::wstring folder = MakeGameLauncher(L"half", "/files/game.zip", "g-6");
    fs::create_directories(fs::path(folder) / L"Game" / L"bin");
    ASSERT_TRUE(CopyFileW(FakeGame().c_str(), (folder + L"\\Game\\bin\\fakegame.exe").c_str(), FALSE));
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\Game\\half.txt", "from the stopped run"));
    std::wstring marker = folder + L"\\Game\\" + kInstallMarkerFile;
    ASSERT_TRUE(testenv::WriteFileBytes(marker, ""));
    size_t before = PlayEvents().size();

    FlowResult flow = RunLauncher(folder, L"-again");

    ASSERT_TRUE(flow.childExited);
    EXPECT_TRUE(HasTraceMessage(flow, L"游戏未安装完成，重新安装！marker:" + marker));
    EXPECT_TRUE(flow.Received(WM_SHOWWINDOW));
    EXPECT_TRUE(flow.Received(WM_GAME_UNZIP_DONE));
    ASSERT_FALSE(flow.messages.empty());
    EXPECT_EQ(static_cast<UINT>(WM_CLOSE), flow.messages.back().id);
    EXPECT_FALSE(PathExists(folder + L"\\Game\\half.txt"));
    EXPECT_FALSE(PathExists(folder + L"\\Game.removing"));
    EXPECT_FALSE(PathExists(marker));
    EXPECT_TRUE(PathExists(folder + L"\\Game\\data\\readme.txt"));
    ASSERT_TRUE(WaitForGameRecord(folder));
    EXPECT_NE(std::wstring::npos, GameRecord(folder).find(L"-again"));
    EXPECT_EQ("1", OnePlayEventSince(before).extdata["is_success"]);
}

// A reinstall over a half-installed old game (its marker beside its start
// file and a thousand data files) stopped at several points, as a player who
// closes the launcher or loses power would stop it. However far it got, the
// next start either finds the complete new game or installs again: it never
// starts the old game or a partial one. Each stop is made by this process
// when it sees the point reached on disk, without opening any folder there
// (a listing would keep the launcher from removing it). Folders list in name
// order here, so 0.dat goes early and 5.dat about half way.
TEST_F(LauncherFlowTest, AReinstallStoppedAnywhereNeverLeavesAGameToStart) {
    const size_t oldFiles = 1000;
    // The old install moves from Game to Game.removing only: looking there second never misses a file.
    auto oldGone = [](const std::wstring& folder, const wchar_t* name) {
        return !PathExists(folder + L"\\Game\\a-data\\" + name) &&
               !PathExists(folder + L"\\Game.removing\\a-data\\" + name);
    };
    const struct {
        const char* point;
        std::function<bool(const std::wstring&)> reached;
        bool startReturned;  // the flow has gone past Start() by then
    } points[] = {
        {"removal begun", [&](const std::wstring& f) { return oldGone(f, L"0.dat"); }, false},
        {"removal half done", [&](const std::wstring& f) { return oldGone(f, L"5.dat"); }, false},
        {"download begun", [](const std::wstring& f) { return PathExists(f + L"\\Game\\GameSetup.zip"); }, true},
        {"unpacking", [](const std::wstring& f) { return PathExists(f + L"\\Game\\pad.bin"); }, true},
    };
    int index = 0;
    for (const auto& p : points) {
        SCOPED_TRACE(p.point);
        std::wstring folder = MakeGameLauncher(L"stopped" + std::to_wstring(index++), "/paced/1500/game.zip", "g-13");
        const std::wstring game = folder + L"\\Game";
        ASSERT_TRUE(CreateDirs(game + L"\\a-data"));
        ASSERT_TRUE(CreateDirs(game + L"\\bin"));
        ASSERT_TRUE(CopyFileW(FakeGame().c_str(), (game + L"\\bin\\fakegame.exe").c_str(), FALSE));
        ASSERT_TRUE(testenv::WriteFileBytes(game + L"\\" + kInstallMarkerFile, ""));
        for (size_t i = 0; i < oldFiles; ++i) {
            ASSERT_TRUE(testenv::WriteFileBytes(game + L"\\a-data\\" + std::to_wstring(i) + L".dat", "old"));
        }

        const std::wstring probe = game + L"\\a-data|" + folder + L"\\Game.removing";
        HANDLE child = nullptr;
        {
            ChildSetting probed(L"LAUNCHER_PROBE", probe.c_str());
            child = StartLauncher(folder, L"");
        }
        ASSERT_NE(nullptr, child);
        bool reached = false;
        while (!(reached = p.reached(folder)) && WaitForSingleObject(child, 1) == WAIT_TIMEOUT) {
        }
        TerminateProcess(child, 1);
        WaitForSingleObject(child, 30000);
        CloseHandle(child);
        ASSERT_TRUE(reached) << "the launcher ended before the point";
        if (p.startReturned) {
            EXPECT_EQ("1", testenv::ReadFileBytes(folder + L"\\probe.txt")) << "the UI thread waited for the removal";
        }

        // The next start, with the package gone from the server.
        ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\config\\config.json",
                                            Config(R"("start_path": "bin\\fakegame.exe", "game_url": ")" +
                                                   ServerUrl("/status/404") + "\"")));
        FlowResult next = RunLauncher(folder, L"-next");
        ASSERT_TRUE(next.childExited);
        ASSERT_FALSE(next.messages.empty());
        if (next.messages.front().id == WM_CLOSE) {
            EXPECT_EQ(testenv::ReadFileBytes(testenv::Var(L"PACKAGE_README")),
                      testenv::ReadFileBytes(game + L"\\data\\readme.txt"))
                << "the old game or a partial one was started";
        } else {
            EXPECT_EQ(static_cast<UINT>(WM_GAME_INSTALL_FAILED), next.messages.back().id);
            EXPECT_EQ(L"游戏下载失败，请检查网络后重新打开启动器", next.messages.back().text);
            EXPECT_TRUE(GameRecord(folder).empty());
        }
    }
}

// A file of the old install held open (by the game, still running) keeps it
// from being removed: the install stops with that reason instead of going
// on over it, and nothing is downloaded. Once the file is free, the next
// start clears what was left and installs.
TEST_F(LauncherFlowTest, AnOldInstallThatCannotBeRemovedStopsTheInstall) {
    std::wstring folder = MakeGameLauncher(L"held", "/files/game.zip", "g-14");
    const std::wstring held = folder + L"\\Game\\save\\slot1.dat";
    ASSERT_TRUE(CreateDirs(folder + L"\\Game\\save"));
    ASSERT_TRUE(testenv::WriteFileBytes(held, "saved game"));
    HANDLE file = CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    size_t before = PlayEvents().size();

    FlowResult flow = RunLauncher(folder, L"");
    CloseHandle(file);

    ExpectFailureShownThenReported(flow, L"旧的游戏文件无法删除，请关闭游戏后重新打开启动器", before, "g-14");
    EXPECT_FALSE(flow.Received(WM_GAME_PROGRESS));
    EXPECT_FALSE(PathExists(folder + L"\\Game\\GameSetup.zip"));

    FlowResult again = RunLauncher(folder, L"");
    ASSERT_TRUE(again.childExited);
    ASSERT_FALSE(again.messages.empty());
    EXPECT_EQ(static_cast<UINT>(WM_CLOSE), again.messages.back().id);
    EXPECT_FALSE(PathExists(folder + L"\\Game.removing"));
    EXPECT_FALSE(PathExists(held));
}

// An exception on the install thread (here from the disk space check before
// extraction) is a failed install like any other: after 100 % the reason
// shows and closing is allowed again, then the play event "0" follows.
TEST_F(LauncherFlowTest, AnExceptionDuringTheInstallEndsInTheFailurePath) {
    std::wstring folder = MakeGameLauncher(L"throws", "/files/game.zip", "g-15");
    size_t before = PlayEvents().size();

    ChildSetting freeBytes(L"LAUNCHER_FREE_BYTES", L"100000000000");
    ChildSetting throwsAt(L"LAUNCHER_SPACE_QUERY_THROWS_AT", L"2");
    FlowResult flow = RunLauncher(folder, L"", 30000);

    ExpectFailureShownThenReported(flow, L"游戏安装失败，请重新打开启动器", before, "g-15");
    bool full = false;
    for (const WindowMessage& message : flow.messages) full |= message.id == WM_GAME_PROGRESS && message.value == 100;
    EXPECT_TRUE(full) << "the failure should come after 100 %, when closing is disabled";
    EXPECT_TRUE(HasTraceMessage(flow, L"install failed: space query failed"));
}

// An installed game the system cannot start (no program opens its file
// type): the window, hidden until then, shows the reason and may be closed.
TEST_F(LauncherFlowTest, AnInstalledGameThatDoesNotStartShowsItsReason) {
    std::wstring folder = MakeLauncher(L"nostart", Config(R"("start_path": "bin\\game.korvanoapp", "game_id": "g-16",
        "game_url": ")" + ServerUrl("/files/game.zip") + "\""));
    ASSERT_TRUE(CreateDirs(folder + L"\\Game\\bin"));
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\Game\\bin\\game.korvanoapp", "not a program"));
    size_t before = PlayEvents().size();

    FlowResult flow = RunLauncher(folder, L"");

    ExpectFailureShownThenReported(flow, L"游戏启动失败，请重新打开启动器", before, "g-16");
    ASSERT_EQ(2u, flow.messages.size());
    EXPECT_EQ(static_cast<UINT>(WM_SHOWWINDOW), flow.messages[0].id);
    EXPECT_TRUE(HasTraceMessage(flow, L"调起应用失败！errorCode:", true));
}

TEST(GameDownloadManagerLifetime, EventsAfterTheManagerIsGoneAreIgnored) {
    std::vector<WindowMessage> received;
    TestWindow window(RecordInto(received));
    GameDownloadManager forwarder;
    {
        auto manager = std::make_shared<DownloadInstallManager>(window.Handle(), L"");
        forwarder.SetOwner(manager);
        forwarder.OnDownloadFileTotalSize(2048);
        ASSERT_EQ(1u, received.size());
    }
    EXPECT_EQ(0, forwarder.OnDownloadProgressChanged(50, 1024, 0));
    EXPECT_EQ(0, forwarder.OnDownloadFileTotalSize(4096));
    EXPECT_EQ(0, forwarder.OnDownloadFinish(0, nullptr, 0));
    EXPECT_EQ(1u, received.size());
}

TEST(DownloadInstallManagerOwnership, StartNeedsSharedOwnership) {
    DownloadInstallManager unowned(nullptr, L"");
    EXPECT_THROW(unowned.Start(), std::bad_weak_ptr);
}
