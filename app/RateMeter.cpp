#include "RateMeter.h"

namespace {
// Reads this close together count as one sample, which keeps the samples of
// a fast transfer to a few hundred per window.
constexpr RateMeter::Clock::duration kSampleSpan = std::chrono::milliseconds(5);
}  // namespace

RateMeter::RateMeter(Clock::time_point start) : start_(start) {}

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

uint64_t RateMeter::BytesPerSecond(Clock::time_point now) {
    std::lock_guard<std::mutex> hold(lock_);
    const Clock::time_point from = now - kWindow;
    DropOlderThan(from);
    const Clock::duration span = now - (start_ > from ? start_ : from);
    if (span <= Clock::duration::zero()) {
        return 0;
    }
    const double seconds = std::chrono::duration<double>(span).count();
    return static_cast<uint64_t>(static_cast<double>(windowBytes_) / seconds);
}

void RateMeter::DropOlderThan(Clock::time_point from) {
    while (!samples_.empty() && samples_.front().at <= from) {
        windowBytes_ -= samples_.front().bytes;
        samples_.pop_front();
    }
}
