#include "RateMeter.h"

namespace {
// Reads this close together count as one sample, which keeps the samples of
// a fast transfer to a few hundred per window.
constexpr RateMeter::Clock::duration kSampleSpan = std::chrono::milliseconds(5);
}  // namespace

void RateMeter::Add(uint64_t bytes, Clock::time_point now) {
    std::lock_guard<std::mutex> hold(lock_);
    DropOlderThan(now - kWindow);
    if (!samples_.empty() && now - samples_.back().at < kSampleSpan) {
        samples_.back().bytes += bytes;
    } else {
        samples_.push_back({now, bytes});
    }
    windowBytes_ += bytes;
}

// Data comes in bursts (a server's writes, the network's packets): counting
// whole bursts in a fixed second is off by up to one burst. Measured from
// the oldest arrival in the window instead, whose own bytes came before it,
// the rate is exact right after each arrival, whatever the bursts' rhythm.
uint64_t RateMeter::BytesPerSecond(Clock::time_point now) {
    std::lock_guard<std::mutex> hold(lock_);
    DropOlderThan(now - kWindow);
    Clock::duration span = kWindow;
    uint64_t bytes = windowBytes_;
    if (samples_.size() >= 2) {
        span = now - samples_.front().at;
        bytes -= samples_.front().bytes;
    }
    if (span <= Clock::duration::zero()) {
        return 0;
    }
    const double seconds = std::chrono::duration<double>(span).count();
    return static_cast<uint64_t>(static_cast<double>(bytes) / seconds);
}

void RateMeter::DropOlderThan(Clock::time_point from) {
    while (!samples_.empty() && samples_.front().at <= from) {
        windowBytes_ -= samples_.front().bytes;
        samples_.pop_front();
    }
}
