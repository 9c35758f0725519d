#pragma once
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>

// The transfer rate over the last second of wall-clock time, fed with the
// byte counts of one or more transfers as they arrive, from any thread.
// Times come from the monotonic clock; callers may pass their own for tests.
class RateMeter {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kWindow = std::chrono::seconds(1);

    RateMeter() = default;
    RateMeter(const RateMeter&) = delete;
    RateMeter& operator=(const RateMeter&) = delete;

    void Add(uint64_t bytes, Clock::time_point now = Clock::now());
    // Bytes per second that arrived in the window ending at `now`.
    uint64_t BytesPerSecond(Clock::time_point now = Clock::now());

private:
    struct Sample {
        Clock::time_point at;
        uint64_t bytes;
    };
    void DropOlderThan(Clock::time_point from);

    std::mutex lock_;
    std::deque<Sample> samples_;  // guarded by lock_; oldest first
    uint64_t windowBytes_ = 0;    // guarded by lock_; the sum of samples_
};
