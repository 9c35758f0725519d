#include "KorvaWinHttp.h"

#include "CollectorLog.h"
#include "Platform.h"
#include "ResultCode.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>

using net::korva::HttpFormFields;
using net::korva::HttpHeaders;
using net::korva::KorvaWinHttp;

namespace {

std::string NarrowVar(const wchar_t* name) {
    std::wstring value = testenv::Var(name);
    return std::string(value.begin(), value.end());
}

std::string ToUtf8(const std::wstring& wide) {
    int needed = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                     nullptr);
    std::string utf8(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], needed, nullptr, nullptr);
    return utf8;
}

std::string PatternBytes(size_t count) {
    std::string bytes(count, '\0');
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<char>(i % 251);
    }
    return bytes;
}

// One collector per scheme; each test reads only the requests it caused.
class KorvaWinHttpTest : public ::testing::Test {
protected:
    KorvaWinHttpTest() : http_(std::string(), 0) {}

    void SetUp() override {
        ASSERT_FALSE(testenv::Var(L"KORVA_HTTP_URL").empty()) << "run through the test harness";
        seen_ = ReadCollectorLog(LogPath()).size();
    }

    virtual const wchar_t* Scheme() const { return L"HTTP"; }
    std::wstring LogPath() const { return testenv::Var((std::wstring(L"KORVA_") + Scheme() + L"_LOG").c_str()); }
    std::string Url(const std::string& path) const {
        return NarrowVar((std::wstring(L"KORVA_") + Scheme() + L"_URL").c_str()) + path;
    }

    // Requests that reached the collector since the test began.
    std::vector<CollectedRequest> NewRequests() const {
        std::vector<CollectedRequest> all = ReadCollectorLog(LogPath());
        return std::vector<CollectedRequest>(all.begin() + static_cast<std::ptrdiff_t>(seen_), all.end());
    }

    KorvaWinHttp http_;
    size_t seen_ = 0;
};

class KorvaWinHttpsTest : public KorvaWinHttpTest {
protected:
    const wchar_t* Scheme() const override { return L"HTTPS"; }
};

TEST_F(KorvaWinHttpTest, PostSendsBodyAndHeadersInOrderSkippingEmptyNames) {
    const std::string body = "{\"a\":1}\r\n\x01\xff";
    HttpHeaders headers = {{"X-First", "1"}, {"", "dropped"}, {"Content-Type", "application/json"}, {"X-Last", "z"}};
    std::string response;
    EXPECT_EQ(Ok, http_.Post(Url("/api/report"), body, headers, &response));
    EXPECT_EQ("OK", response);

    auto requests = NewRequests();
    ASSERT_EQ(1u, requests.size());
    const CollectedRequest& request = requests[0];
    EXPECT_EQ("POST", request.method);
    EXPECT_EQ("/api/report", request.path);
    EXPECT_EQ(body, request.body);
    EXPECT_EQ(std::to_string(body.size()), request.Header("Content-Length"));
    EXPECT_EQ("application/json", request.Header("Content-Type"));
    std::vector<std::string> custom;
    for (const auto& header : request.headers) {
        if (header.first.rfind("X-", 0) == 0) {
            custom.push_back(header.first + "=" + header.second);
        }
        EXPECT_NE("dropped", header.second);
    }
    EXPECT_EQ((std::vector<std::string>{"X-First=1", "X-Last=z"}), custom);
    // No user agent was given and libcurl sends none of its own.
    EXPECT_FALSE(request.HasHeader("User-Agent"));
}

TEST_F(KorvaWinHttpTest, EmptyBodyPostSendsTheMethodWithoutBody) {
    std::string response;
    EXPECT_EQ(Ok, http_.Post(Url("/empty"), std::string(), HttpHeaders(), &response));
    auto requests = NewRequests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("POST", requests[0].method);
    EXPECT_TRUE(requests[0].body.empty());
    EXPECT_FALSE(requests[0].HasHeader("Content-Type"));
    EXPECT_TRUE(requests[0].Header("Content-Length").empty() || requests[0].Header("Content-Length") == "0");
}

TEST_F(KorvaWinHttpTest, HeadersThatAllHaveEmptyNamesAddNothing) {
    std::string response;
    EXPECT_EQ(Ok, http_.Get(Url("/plain"), HttpHeaders(), &response));
    EXPECT_EQ(Ok, http_.Get(Url("/plain"), HttpHeaders{{"", "a"}, {"", ""}}, &response));
    auto requests = NewRequests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ(requests[0].headers, requests[1].headers);
}

TEST_F(KorvaWinHttpTest, EachOperationSendsItsMethodText) {
    const std::string body = "payload";
    std::string response;
    EXPECT_EQ(Ok, http_.Get(Url("/op"), HttpHeaders(), &response));
    EXPECT_EQ(Ok, http_.Delete(Url("/op"), HttpHeaders(), &response));
    EXPECT_EQ(Ok, http_.Put(Url("/op"), body, HttpHeaders(), &response));
    EXPECT_EQ(Ok, http_.Patch(Url("/op"), body, HttpHeaders(), &response));
    EXPECT_EQ("OKOKOKOK", response);

    auto requests = NewRequests();
    ASSERT_EQ(4u, requests.size());
    const char* methods[] = {"GET", "DELETE", "PUT", "PATCH"};
    const std::string bodies[] = {"", "", body, body};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(methods[i], requests[i].method);
        EXPECT_EQ(bodies[i], requests[i].body) << methods[i];
    }
}

TEST_F(KorvaWinHttpTest, ResponseIsAppendedToWhatTheStringHolds) {
    std::string response = "before:";
    EXPECT_EQ(Ok, http_.Get(Url("/bytes/5"), HttpHeaders(), &response));
    EXPECT_EQ("before:" + PatternBytes(5), response);
}

TEST_F(KorvaWinHttpTest, AnErrorStatusIsACompletedTransfer) {
    std::string response;
    EXPECT_EQ(Ok, http_.Get(Url("/status/500"), HttpHeaders(), &response));
    EXPECT_EQ("status 500", response);
    response.clear();
    EXPECT_EQ(Ok, http_.Post(Url("/status/404"), "x", HttpHeaders(), &response));
    EXPECT_EQ("status 404", response);
}

TEST_F(KorvaWinHttpTest, TransportFailuresReturnFailed) {
    std::string response;
    EXPECT_EQ(Failed, http_.Post(NarrowVar(L"KORVA_REFUSED_URL") + "/x", "body", HttpHeaders(), &response));
    EXPECT_EQ(Failed, http_.Get("not a url at all://", HttpHeaders(), &response));
    EXPECT_TRUE(response.empty());
}

TEST_F(KorvaWinHttpTest, RedirectsAreFollowed) {
    std::string response;
    EXPECT_EQ(Ok, http_.Get(Url("/redirect/status/201"), HttpHeaders(), &response));
    EXPECT_EQ("status 201", response);
    auto requests = NewRequests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("/redirect/status/201", requests[0].path);
    EXPECT_EQ("/status/201", requests[1].path);
}

TEST_F(KorvaWinHttpTest, PostFormSendsOnePartPerFieldInKeyOrder) {
    HttpFormFields fields = {{"zeta", "last"}, {"alpha", "first value"}, {"mid", "\xe4\xb8\xad"}};
    std::string response;
    EXPECT_EQ(Ok, http_.PostForm(Url("/form"), std::string(), fields, HttpHeaders(), &response));
    auto requests = NewRequests();
    ASSERT_EQ(1u, requests.size());
    const CollectedRequest& request = requests[0];
    EXPECT_EQ("POST", request.method);
    EXPECT_EQ(0u, request.Header("Content-Type").rfind("multipart/form-data; boundary=", 0));
    size_t previous = 0;
    for (const char* name : {"alpha", "mid", "zeta"}) {
        size_t at = request.body.find(std::string("name=\"") + name + "\"");
        ASSERT_NE(std::string::npos, at) << name;
        EXPECT_LT(previous, at) << name;
        previous = at;
    }
    EXPECT_NE(std::string::npos, request.body.find("\r\n\r\nfirst value\r\n"));
    EXPECT_NE(std::string::npos, request.body.find("\r\n\r\n\xe4\xb8\xad\r\n"));
}

TEST_F(KorvaWinHttpTest, PostFormWithoutFieldsIsAPost) {
    const std::string body = "k=v&w=1";
    HttpHeaders headers = {{"Content-Type", "application/x-www-form-urlencoded"}};
    std::string response;
    EXPECT_EQ(Ok, http_.PostForm(Url("/form"), body, HttpFormFields(), headers, &response));
    EXPECT_EQ(Ok, http_.Post(Url("/form"), body, headers, &response));
    auto requests = NewRequests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ(requests[1].method, requests[0].method);
    EXPECT_EQ(requests[1].headers, requests[0].headers);
    EXPECT_EQ(body, requests[0].body);
}

TEST_F(KorvaWinHttpTest, UserAgentIsSentWhenGiven) {
    KorvaWinHttp http("KorvaLauncher/1.0", 30);
    std::string response;
    EXPECT_EQ(Ok, http.Get(Url("/ua"), HttpHeaders(), &response));
    auto requests = NewRequests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("KorvaLauncher/1.0", requests[0].Header("User-Agent"));
}

TEST_F(KorvaWinHttpTest, ATimeLimitEndsAStalledTransfer) {
    KorvaWinHttp http(std::string(), 2);
    std::string response;
    EXPECT_EQ(Failed, http.Post(NarrowVar(L"KORVA_STALL_URL") + "/x", "body", HttpHeaders(), &response));
    EXPECT_TRUE(response.empty());
}

TEST_F(KorvaWinHttpTest, DownloadFileWritesTheBodyToAUtf8Path) {
    const std::wstring dir = testenv::MakeTempSubdir(L"下载 目录");
    const std::wstring path = dir + L"\\游戏包.bin";
    testenv::WriteFileBytes(path, std::string(300000, 'x'));  // truncated on open
    EXPECT_EQ(Ok, http_.DownloadFile(Url("/bytes/200000"), ToUtf8(path), HttpHeaders()));
    EXPECT_EQ(PatternBytes(200000), testenv::ReadFileBytes(path));
}

TEST_F(KorvaWinHttpTest, DownloadFileIntoAMissingFolderSucceedsWithoutWriting) {
    const std::wstring path = testenv::TempDir() + L"\\no-such-folder\\out.bin";
    EXPECT_EQ(Ok, http_.DownloadFile(Url("/bytes/10"), ToUtf8(path), HttpHeaders()));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(path)));
}

TEST_F(KorvaWinHttpsTest, PostOverTlsWithAnUntrustedCertificate) {
    const std::string body = "{\"data\":\"x\"}";
    std::string response;
    EXPECT_EQ(Ok, http_.Post(Url("/api/proxy/tesmar/report/v2"), body, HttpHeaders{{"Content-Type", "application/json"}},
                             &response));
    EXPECT_EQ("OK", response);
    auto requests = NewRequests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("/api/proxy/tesmar/report/v2", requests[0].path);
    EXPECT_EQ(body, requests[0].body);
}

TEST_F(KorvaWinHttpsTest, DownloadFileOverTls) {
    const std::wstring path = testenv::MakeTempSubdir(L"tls") + L"\\包.bin";
    EXPECT_EQ(Ok, http_.DownloadFile(Url("/bytes/70000"), ToUtf8(path), HttpHeaders()));
    EXPECT_EQ(PatternBytes(70000), testenv::ReadFileBytes(path));
}

}  // namespace
