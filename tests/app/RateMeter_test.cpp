#include "RateMeter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <vector>

namespace {

using Clock = RateMeter::Clock;
using std::chrono::milliseconds;

// One transfer: `bytes` every `everyMs`, from `fromMs` to before `toMs`.
struct Feed {
    int fromMs;
    int toMs;
    int everyMs;
    uint64_t bytes;
};

}  // namespace

// The rate is read right after an arrival, as the downloader does. Bursts
// that do not divide the second evenly are where a count of whole bursts
// per second goes wrong by a tenth.
TEST(RateMeter, ReadsTheRateOfTheLastSecond) {
    const struct {
        const char* name;
        std::vector<Feed> feeds;
        int atMs;           // when the rate is read
        uint64_t expected;  // bytes per second
        double tolerance;   // share of `expected`
    } cases[] = {
        {"steady 1 MB/s in small reads", {{0, 3000, 10, 10000}}, 2990, 1000000, 0.01},
        {"250 KB bursts every 100 ms", {{0, 5000, 100, 250000}}, 4900, 2500000, 0.01},
        {"250 KB bursts every 110 ms", {{0, 5000, 110, 250000}}, 4840, 2272727, 0.01},
        {"half a second in", {{0, 500, 10, 10000}}, 490, 1000000, 0.01},
        {"two transfers at once add up", {{0, 3000, 10, 5000}, {5, 3000, 20, 10000}}, 2990, 1000000, 0.02},
        {"a faster second replaces a slow one", {{0, 2000, 10, 1000}, {2000, 4000, 10, 20000}}, 3500, 2000000,
         0.01},
        {"a stop shows within a second", {{0, 2000, 10, 10000}}, 3100, 0, 0.0},
        {"nothing yet", {}, 0, 0, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Clock::time_point start = Clock::now();
        RateMeter meter;
        for (int ms = 0; ms <= c.atMs; ++ms) {
            for (const Feed& feed : c.feeds) {
                if (ms >= feed.fromMs && ms < feed.toMs && (ms - feed.fromMs) % feed.everyMs == 0) {
                    meter.Add(feed.bytes, start + milliseconds(ms));
                }
            }
        }
        const uint64_t rate = meter.BytesPerSecond(start + milliseconds(c.atMs));
        EXPECT_NEAR(static_cast<double>(c.expected), static_cast<double>(rate), c.tolerance * c.expected);
    }
}
