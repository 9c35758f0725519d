#include "RateMeter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

namespace {

using Clock = RateMeter::Clock;
using std::chrono::milliseconds;

// One feed: `bytes` every `everyMs`, from `fromMs` to before `toMs`.
struct Feed {
    int fromMs;
    int toMs;
    int everyMs;
    uint64_t bytes;
};

struct Case {
    const char* name;
    std::vector<Feed> feeds;
    int atMs;           // when the rate is read
    uint64_t expected;  // bytes per second
    double tolerance;   // share of `expected`
};

uint64_t FeedAll(RateMeter& meter, Clock::time_point start, const std::vector<Feed>& feeds) {
    uint64_t total = 0;
    for (int ms = 0; ms < 60000; ++ms) {
        for (const Feed& feed : feeds) {
            if (ms >= feed.fromMs && ms < feed.toMs && (ms - feed.fromMs) % feed.everyMs == 0) {
                meter.Add(feed.bytes, start + milliseconds(ms));
                total += feed.bytes;
            }
        }
    }
    return total;
}

}  // namespace

TEST(RateMeter, ReadsTheRateOfTheLastSecond) {
    const Case cases[] = {
        {"steady 1 MB/s in small reads", {{0, 3000, 10, 10000}}, 3000, 1000000, 0.02},
        {"bursts of 250 KB every 100 ms", {{0, 5000, 100, 250000}}, 4950, 2500000, 0.11},
        {"half a second in: the time since the start", {{0, 500, 10, 10000}}, 500, 1000000, 0.03},
        {"the first byte came late", {{400, 1000, 10, 10000}}, 1000, 600000, 0.03},
        {"two transfers at once add up", {{0, 3000, 10, 5000}, {5, 3000, 20, 10000}}, 3000, 1000000, 0.02},
        {"a stop shows within a second", {{0, 2000, 10, 10000}}, 3100, 0, 0.0},
        {"a faster second replaces a slow one", {{0, 2000, 10, 1000}, {2000, 4000, 10, 20000}}, 3500, 2000000, 0.02},
        {"nothing yet", {}, 0, 0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Clock::time_point start = Clock::now();
        RateMeter meter(start);
        FeedAll(meter, start, c.feeds);
        const uint64_t rate = meter.BytesPerSecond(start + milliseconds(c.atMs));
        EXPECT_NEAR(static_cast<double>(c.expected), static_cast<double>(rate), c.tolerance * c.expected);
    }
}

// Fed from several threads at once, nothing is lost.
TEST(RateMeter, CountsEveryByteFedFromSeveralThreads) {
    const Clock::time_point start = Clock::now();
    RateMeter meter(start);
    const Clock::time_point at = start + milliseconds(500);
    std::vector<std::thread> feeders;
    for (int t = 0; t < 4; ++t) {
        feeders.emplace_back([&] {
            for (int i = 0; i < 1000; ++i) meter.Add(25, at);
        });
    }
    for (std::thread& feeder : feeders) feeder.join();
    EXPECT_EQ(200000u, meter.BytesPerSecond(at));
}
