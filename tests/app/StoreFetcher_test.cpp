#include "StoreFetcher.h"

#include "TestEnv.h"
#include "TextHelpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr uint64_t kObjectBytes = 150000;

std::wstring Url(const std::wstring& route) {
    return L"http://127.0.0.1:" + testenv::Var(L"STORE_TEST_PORT") + route;
}

class Counter : public FetchObserver {
public:
    explicit Counter(bool stop = false) : stop_(stop) {}
    void Received(size_t bytes) override { received += bytes; }
    bool Stopped() override { return stop_; }
    uint64_t received = 0;

private:
    bool stop_;
};

}  // namespace

// Whatever the server says or sends, a fetch never holds more than its
// caller allows, and only a whole body is Ok.
TEST(StoreFetcher, OnlyAWholeBodyWithinTheLimitIsFetched) {
    const std::string object = testenv::ReadFileBytes(testenv::Var(L"STORE_TEST_OBJECT"));
    ASSERT_EQ(kObjectBytes, object.size());
    const struct {
        const wchar_t* route;
        uint64_t maxBytes;
        FetchResult result;
    } cases[] = {
        {L"/files/object.bin", kObjectBytes, FetchResult::Ok},
        {L"/files/object.bin", kObjectBytes - 1, FetchResult::TooLarge},  // told by Content-Length
        {L"/chunked/object.bin", kObjectBytes, FetchResult::Ok},
        {L"/chunked/object.bin", kObjectBytes - 1, FetchResult::TooLarge},  // found by reading
        {L"/short/100000/object.bin", kObjectBytes, FetchResult::Failed},
        {L"/reset/100000/object.bin", kObjectBytes, FetchResult::Failed},
        {L"/status/404", kObjectBytes, FetchResult::Failed},
    };
    StoreFetcher fetcher(10000, 60000);  // one fetcher for all: a failure must not spoil the next fetch
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToAnsi(c.route));
        std::vector<uint8_t> body;
        Counter counter;
        EXPECT_EQ(c.result, fetcher.Fetch(Url(c.route), c.maxBytes, body, &counter));
        EXPECT_LE(body.size(), c.maxBytes + 1);
        EXPECT_EQ(body.size(), counter.received);
        if (c.result == FetchResult::Ok) {
            EXPECT_EQ(object, std::string(body.begin(), body.end()));
        }
    }
}

TEST(StoreFetcher, KeepsTheValidatorsOfTheLastWholeBody) {
    StoreFetcher fetcher(10000, 60000);
    std::vector<uint8_t> body;
    ASSERT_EQ(FetchResult::Ok, fetcher.Fetch(Url(L"/files/object.bin"), kObjectBytes, body, nullptr));
    const std::wstring etag = fetcher.ETag();
    EXPECT_EQ(L'"', etag.empty() ? 0 : etag[0]);
    EXPECT_NE(std::wstring::npos, fetcher.LastModified().find(L" GMT"));
    ASSERT_EQ(FetchResult::Failed, fetcher.Fetch(Url(L"/status/500"), kObjectBytes, body, nullptr));
    EXPECT_EQ(etag, fetcher.ETag());
    ASSERT_EQ(FetchResult::Ok, fetcher.Fetch(Url(L"/chunked/object.bin"), kObjectBytes, body, nullptr));
    EXPECT_EQ(L"", fetcher.ETag());
    EXPECT_EQ(L"", fetcher.LastModified());
}

// A server that trickles bytes keeps every read short of its time-out: the
// fetch's budget fails it, even when the body comes whole in the end.
TEST(StoreFetcher, AFetchPastItsBudgetFailsAndAStoppedOneEndsAtOnce) {
    StoreFetcher fetcher(10000, 500);
    std::vector<uint8_t> body;
    EXPECT_EQ(FetchResult::Failed, fetcher.Fetch(Url(L"/trickle/20000/object.bin"), kObjectBytes, body, nullptr));

    Counter stopped(true);
    EXPECT_EQ(FetchResult::Stopped, fetcher.Fetch(Url(L"/files/object.bin"), kObjectBytes, body, &stopped));
    EXPECT_EQ(0u, stopped.received);
    EXPECT_EQ(FetchResult::Ok, fetcher.Fetch(Url(L"/files/object.bin"), kObjectBytes, body, nullptr));
}

TEST(StoreObjectUrl, NamesLieBesideLatestJson) {
    const struct {
        const wchar_t* pointer;
        const char* name;
        const wchar_t* url;
    } cases[] = {
        {L"https://cdn.example.com/games/7/latest.json", "chunks/ab/ab.chunk",
         L"https://cdn.example.com/games/7/chunks/ab/ab.chunk"},
        {L"http://127.0.0.1:8080/latest.json?token=1/2", "manifests/1.0-0011.manifest",
         L"http://127.0.0.1:8080/manifests/1.0-0011.manifest"},
        {L"http://host/store/latest.json#top", "latest.json", L"http://host/store/latest.json"},
        {L"http://host:81?latest", "latest.json", L"http://host:81/latest.json"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.url, StoreObjectUrl(c.pointer, c.name));
    }
}
