#include "GameLaunch.h"

#include "CollectorLog.h"
#include "FakeTraceController.h"
#include "Paths.h"
#include "StatHelper.h"
#include "TestEnv.h"
#include "TestWindow.h"
#include "TextHelpers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <thread>

namespace {

const wchar_t kStartGame[] = L"DownloadInstallManager::StartGame";

std::string NarrowVar(const wchar_t* name) {
    std::wstring value = testenv::Var(name);
    return std::string(value.begin(), value.end());
}

size_t CollectedCount() { return ReadCollectorLog(testenv::Var(L"STAT_COLLECTOR_LOG")).size(); }

// Plays the main window: counts WM_CLOSE and notes how many reports the
// collector held when it arrived.
class CloseRecorder {
public:
    CloseRecorder()
        : window_([this](UINT message, WPARAM, LPARAM) {
              if (message != WM_CLOSE) return false;
              ++closes;
              reportsAtClose = CollectedCount();
              return true;
          }) {}

    HWND Window() const { return window_.Handle(); }
    int closes = 0;
    size_t reportsAtClose = 0;

private:
    TestWindow window_;
};

class GameLaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(testenv::Var(L"STAT_COLLECTOR_URL").empty()) << "run through the test harness";
        StatHelper::Instance().SetEndpointForTesting(NarrowVar(L"STAT_COLLECTOR_URL"));
        recordPath_ = testenv::Var(L"FAKEGAME_RECORD");
        std::error_code error;
        std::filesystem::remove(std::filesystem::path(recordPath_), error);
        seen_ = CollectedCount();
        ASSERT_TRUE(recorder_.Window() != nullptr);
    }

    // Launches as the install thread does: from another thread, while this
    // (UI) thread pumps messages until the launch has returned. True when the game started.
    bool LaunchFromWorker(const std::wstring& startPath, const std::wstring& params, const std::wstring& gameId) {
        std::atomic<bool> done(false);
        bool started = false;
        std::thread worker([&] {
            started = LaunchGame(recorder_.Window(), startPath, params, gameId);
            done = true;
        });
        while (!done) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&message);
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
        worker.join();
        return started;
    }

    std::vector<CollectedRequest> NewReports() const {
        std::vector<CollectedRequest> all = ReadCollectorLog(testenv::Var(L"STAT_COLLECTOR_LOG"));
        return std::vector<CollectedRequest>(all.begin() + static_cast<std::ptrdiff_t>(seen_), all.end());
    }

    StatReport OnlyReport() const {
        std::vector<CollectedRequest> reports = NewReports();
        StatReport report;
        EXPECT_EQ(1u, reports.size());
        if (!reports.empty()) {
            EXPECT_TRUE(ParseStatReport(reports.back().body, report)) << reports.back().body;
        }
        return report;
    }

    // The game's record, once it has written one.
    std::string WaitForGameRecord() const {
        for (int i = 0; i < 600 && !std::filesystem::exists(std::filesystem::path(recordPath_)); ++i) {
            Sleep(50);
        }
        return testenv::ReadFileBytes(recordPath_);
    }

    // The value after `prefix` in the one captured line starting with it; -1 when absent.
    static int LoggedValue(const TraceCapture& capture, const std::wstring& prefix) {
        int value = -1;
        for (const auto& line : capture.Lines()) {
            std::wstring message = TraceMessage(line);
            if (message.rfind(prefix, 0) == 0) {
                EXPECT_EQ(kStartGame, TraceFunction(line));
                value = std::stoi(message.substr(prefix.size()));
            }
        }
        return value;
    }

    CloseRecorder recorder_;
    std::wstring recordPath_;
    size_t seen_ = 0;
};

TEST_F(GameLaunchTest, StartsTheGameWithTheLauncherParametersThenReportsThenCloses) {
    TraceCapture capture;
    const std::wstring params = L"-token=abc \"two words\" 中文";
    const long before = static_cast<long>(time(nullptr));
    EXPECT_TRUE(LaunchFromWorker(L"fakegame.exe", params, L"123"));

    const std::wstring gamePath = GetModuleDir() + L"\\Game\\fakegame.exe";
    EXPECT_TRUE(capture.HasMessage(L"启动游戏gamepath:" + gamePath + L"，param:" + params));
    EXPECT_GT(LoggedValue(capture, L"调起应用成功！successCode:"), 32);
    EXPECT_EQ(-1, LoggedValue(capture, L"调起应用失败！errorCode:"));
    for (const auto& record : capture.Records()) {
        if (TraceFunction(record.text) == kStartGame) {
            EXPECT_EQ(TRACE_LEVEL_INFORMATION, record.level);
        }
    }

    StatReport report = OnlyReport();
    EXPECT_EQ("game_event", report.category);
    EXPECT_EQ("playvane_launcher_game_play", report.action);
    EXPECT_EQ((std::map<std::string, std::string>{{"game_id", "123"}, {"is_success", "1"}}), report.extdata);
    ASSERT_TRUE(report.hasTimestamp);
    const long stamp = std::stol(report.timestamp);
    EXPECT_LE(before, stamp);
    EXPECT_GE(static_cast<long>(time(nullptr)), stamp);

    EXPECT_EQ(1, recorder_.closes);
    EXPECT_EQ(seen_ + 1, recorder_.reportsAtClose) << "the report must reach the collector before the close";

    const std::string record = WaitForGameRecord();
    ASSERT_FALSE(record.empty()) << "the game never ran";
    std::wstring text;
    Utf8ToWide(record.data(), static_cast<int>(record.size()), text);
    const std::wstring firstLine = text.substr(0, text.find(L'\n'));
    EXPECT_EQ(L" " + params, firstLine.substr(firstLine.size() - params.size() - 1)) << firstLine;
    EXPECT_NE(std::wstring::npos, text.find(L"\narg=-token=abc\narg=two words\narg=中文\n")) << text;
    wchar_t cwd[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    EXPECT_NE(std::wstring::npos, text.find(L"\ncwd=" + std::wstring(cwd) + L"\n")) << text;
}

// The failure is the caller's to show and report (the manager's failure
// path): closing here would end the launcher before the player saw why.
TEST_F(GameLaunchTest, AGameThatCannotBeStartedIsLoggedAndLeftToTheCaller) {
    TraceCapture capture;
    EXPECT_FALSE(LaunchFromWorker(L"missing\\game.exe", L"-x", L"7"));

    EXPECT_TRUE(capture.HasMessage(L"启动游戏gamepath:" + GetModuleDir() + L"\\Game\\missing\\game.exe，param:-x"));
    const int error = LoggedValue(capture, L"调起应用失败！errorCode:");
    EXPECT_GE(error, 0);
    EXPECT_LE(error, 32);
    EXPECT_EQ(-1, LoggedValue(capture, L"调起应用成功！successCode:"));
    EXPECT_TRUE(NewReports().empty());
    EXPECT_EQ(0, recorder_.closes);
}

TEST_F(GameLaunchTest, AnEmptyStartPathDoesNothingAtAll) {
    TraceCapture capture;
    EXPECT_FALSE(LaunchGame(recorder_.Window(), L"", L"-x", L"7"));
    EXPECT_TRUE(capture.Lines().empty());
    EXPECT_EQ(0, recorder_.closes);
    EXPECT_TRUE(NewReports().empty());
}

TEST_F(GameLaunchTest, ReportGamePlayAloneSendsTheEventWithoutClosing) {
    ReportGamePlay(L"", false);
    StatReport report = OnlyReport();
    EXPECT_EQ("game_event", report.category);
    EXPECT_EQ("playvane_launcher_game_play", report.action);
    EXPECT_EQ((std::map<std::string, std::string>{{"game_id", ""}, {"is_success", "0"}}), report.extdata);
    EXPECT_EQ(0, recorder_.closes);
}

TEST_F(GameLaunchTest, AChineseGameIdTravelsInTheAnsiCodePage) {
    ReportGamePlay(L"游戏7", true);
    StatReport report = OnlyReport();
    EXPECT_EQ(WideToAnsi(L"游戏7"), report.extdata["game_id"]);
    EXPECT_EQ("\xd3\xce\xcf\xb7" "7", report.extdata["game_id"]);
    EXPECT_EQ("1", report.extdata["is_success"]);
}

}  // namespace
