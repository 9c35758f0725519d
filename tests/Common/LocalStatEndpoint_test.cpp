// This binary is linked like the launcher that the end-to-end tests and the
// demo run: with the local endpoint object ahead of the library's own
// (tests/CMakeLists.txt). Its reports must reach this build tree's collector.
#include "StatHelper.h"

#include "CollectorLog.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <string>

TEST(LocalStatEndpointTest, ReportsReachTheBuildTreesCollector) {
    const std::wstring url = testenv::Var(L"LOCAL_STAT_URL");
    ASSERT_FALSE(url.empty()) << "run through the test harness";
    EXPECT_EQ(std::string(url.begin(), url.end()), kStatReportUrl);

    StatHelper::Instance().TrackEvent("game_event", "local_endpoint_check", "1733500000", {{"game_id", "7"}});
    const std::vector<CollectedRequest> requests = ReadCollectorLog(testenv::Var(L"LOCAL_STAT_LOG"));
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("/api/proxy/tesmar/report/v2", requests[0].path);
    StatReport report;
    ASSERT_TRUE(ParseStatReport(requests[0].body, report));
    EXPECT_EQ("local_endpoint_check", report.action);
    EXPECT_EQ("7", report.extdata["game_id"]);
}
