#include "StatHelper.h"

#include "CollectorLog.h"
#include "FakeTraceController.h"
#include "Platform.h"
#include "TestEnv.h"
#include "TextHelpers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <set>
#include <thread>

namespace {

std::string NarrowVar(const wchar_t* name) {
    std::wstring value = testenv::Var(name);
    return std::string(value.begin(), value.end());
}

class StatHelperTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(testenv::Var(L"STAT_COLLECTOR_URL").empty()) << "run through the test harness";
        StatHelper::Instance().SetEndpointForTesting(NarrowVar(L"STAT_COLLECTOR_URL"));
        seen_ = ReadCollectorLog(testenv::Var(L"STAT_COLLECTOR_LOG")).size();
    }

    // The one request the collector got since the test began.
    CollectedRequest Sent(const std::string& category, const std::string& action, const std::string& timestamp,
                          const StatHelper::ExtData& extdata) {
        StatHelper::Instance().TrackEvent(category, action, timestamp, extdata);
        std::vector<CollectedRequest> all = ReadCollectorLog(testenv::Var(L"STAT_COLLECTOR_LOG"));
        EXPECT_EQ(seen_ + 1, all.size());
        seen_ = all.size();
        return all.empty() ? CollectedRequest() : all.back();
    }

    size_t seen_ = 0;
};

TEST_F(StatHelperTest, PlayEventBodyByteForByte) {
    CollectedRequest request = Sent("game_event", "playvane_launcher_game_play", "1733500000",
                                    {{"is_success", "1"}, {"game_id", "123"}});
    const char expected[] =
        R"({"data":"{\"category\":\"game_event\",\"action\":\"playvane_launcher_game_play\",)"
        R"(\"timestamp\":\"1733500000\",\"extdata\":\"{\\\"game_id\\\":\\\"123\\\",\\\"is_success\\\":\\\"1\\\"}\"}"})";
    EXPECT_EQ(expected, request.body);
    EXPECT_EQ("POST", request.method);
    EXPECT_EQ("/api/proxy/tesmar/report/v2", request.path);
    EXPECT_EQ("application/json", request.Header("Content-Type"));
    EXPECT_EQ(std::to_string(strlen(expected)), request.Header("Content-Length"));
    EXPECT_FALSE(request.HasHeader("User-Agent"));
    EXPECT_EQ(expected, StatHelper::BuildReportBody(
                            {"game_event", "playvane_launcher_game_play", "1733500000", {{"game_id", "123"}, {"is_success", "1"}}}));
}

TEST_F(StatHelperTest, TheReportIsLoggedAsAnErrorLineBeforeItIsSent) {
    TraceCapture capture;
    StatEvent event{"c", "a", "", {}};
    CollectedRequest request = Sent(event.category, event.action, event.timestamp, event.extdata);
    const std::string body = StatHelper::BuildReportBody(event);
    EXPECT_EQ(body, request.body);
    std::vector<TraceRecord> records = capture.Records();
    size_t found = 0;
    for (const auto& record : records) {
        if (TraceMessage(record.text) == L"KorvaStat: " + AnsiToWide(body)) {
            EXPECT_EQ(TRACE_LEVEL_ERROR, record.level);
            ++found;
        }
    }
    EXPECT_EQ(1u, found);
}

TEST_F(StatHelperTest, EmptyTimestampIsLeftOutAndEmptyTextsStay) {
    CollectedRequest request = Sent("", "", "", {});
    EXPECT_EQ(R"({"data":"{\"category\":\"\",\"action\":\"\",\"extdata\":\"{}\"}"})", request.body);
    StatReport report;
    ASSERT_TRUE(ParseStatReport(request.body, report));
    EXPECT_FALSE(report.hasTimestamp);
    EXPECT_TRUE(report.extdata.empty());
}

TEST_F(StatHelperTest, QuotationMarksAreEscapedOncePerLayer) {
    CollectedRequest request = Sent("cat\"egory", "act\\ion", "t\"1", {{"k\"ey", "va\"lue"}, {"ctl", "\x01\n"}});
    // Layer 1 holds k\"ey, layer 2 then k\\\"ey, layer 3 k\\\\\\\"ey.
    EXPECT_NE(std::string::npos, request.body.find(R"(k\\\\\\\"ey\\\":\\\"va\\\\\\\"lue)"));
    EXPECT_NE(std::string::npos, request.body.find(R"(\"category\":\"cat\\\"egory\")"));
    EXPECT_NE(std::string::npos, request.body.find(R"(\"action\":\"act\\\\ion\")"));
    StatReport report;
    ASSERT_TRUE(ParseStatReport(request.body, report));
    EXPECT_EQ("cat\"egory", report.category);
    EXPECT_EQ("act\\ion", report.action);
    EXPECT_EQ("t\"1", report.timestamp);
    EXPECT_EQ((std::map<std::string, std::string>{{"k\"ey", "va\"lue"}, {"ctl", "\x01\n"}}), report.extdata);
}

TEST_F(StatHelperTest, AnsiTextPassesThroughUnchanged) {
    ASSERT_EQ(936u, GetACP()) << "the test prefix runs with code page 936";
    const std::string gameId = WideToAnsi(L"中文游戏");
    ASSERT_EQ("\xd6\xd0\xce\xc4\xd3\xce\xcf\xb7", gameId);
    CollectedRequest request = Sent("game_event", "playvane_launcher_game_play", "1", {{"game_id", gameId}});
    EXPECT_NE(std::string::npos, request.body.find("\\\\\\\"game_id\\\\\\\":\\\\\\\"" + gameId + "\\\\\\\""));
    StatReport report;
    ASSERT_TRUE(ParseStatReport(request.body, report));
    EXPECT_EQ(gameId, report.extdata["game_id"]);
}

TEST_F(StatHelperTest, ConcurrentCallsEachSendTheirOwnEvent) {
    std::vector<std::thread> callers;
    for (int i = 0; i < 4; ++i) {
        callers.emplace_back([i] {
            StatHelper::Instance().TrackEvent("c", "a", std::to_string(i), {{"n", std::to_string(i)}});
        });
    }
    for (auto& caller : callers) {
        caller.join();
    }
    std::vector<CollectedRequest> all = ReadCollectorLog(testenv::Var(L"STAT_COLLECTOR_LOG"));
    ASSERT_EQ(seen_ + 4, all.size());
    std::set<std::string> numbers;
    for (size_t i = seen_; i < all.size(); ++i) {
        StatReport report;
        ASSERT_TRUE(ParseStatReport(all[i].body, report));
        EXPECT_EQ(report.timestamp, report.extdata["n"]);
        numbers.insert(report.timestamp);
    }
    EXPECT_EQ((std::set<std::string>{"0", "1", "2", "3"}), numbers);
}

// A collector that accepts and never answers must not hold the caller for
// long; the bound checked here is far above the reporter's own limits.
TEST_F(StatHelperTest, UnreachableOrSilentCollectorsReturnNormally) {
    for (const wchar_t* variable : {L"STAT_REFUSED_URL", L"STAT_STALL_HTTPS_URL", L"STAT_STALL_HTTP_URL"}) {
        StatHelper::Instance().SetEndpointForTesting(NarrowVar(variable));
        auto started = std::chrono::steady_clock::now();
        StatHelper::Instance().TrackEvent("game_event", "playvane_launcher_game_play", "1", {{"game_id", "1"}});
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30)) << variable;
    }
    EXPECT_EQ(seen_, ReadCollectorLog(testenv::Var(L"STAT_COLLECTOR_LOG")).size());
}

TEST(StatReportUrl, IsAnHttpsUrlOfTheReportPath) {
    const std::string url = kStatReportUrl;
    EXPECT_EQ(0u, url.rfind("https://", 0));
    const std::string path = "/api/proxy/tesmar/report/v2";
    ASSERT_GT(url.size(), path.size());
    EXPECT_EQ(path, url.substr(url.size() - path.size()));
}

}  // namespace
