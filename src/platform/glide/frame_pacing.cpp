// The pacing plan for a display, and the frame counter.
#include "platform/glide/frame_pacing.h"

#include <cmath>
#include <cstdlib>

PacePlan plan_pacing(int refresh_hz, bool vsync) {
    if (!vsync || refresh_hz <= 0) return {PaceMode::kClock, 1};
    // Displays report 59 or 61 for 59.94 and 60; a multiple is within a hertz of 60 n.
    const int n = static_cast<int>(std::lround(refresh_hz / 60.0));
    if (n < 1 || std::abs(refresh_hz - 60 * n) > 1) return {PaceMode::kClock, 1};
    if (n == 1) return {PaceMode::kVsync, 1};
    return {PaceMode::kVsyncHeld, n};
}

void FrameCounter::presented(Clock::time_point when, int swap_interval) {
    if (frames_ > 0 &&
        when - last_ > kFramePeriod * (swap_interval > 0 ? swap_interval : 1) * 3 / 2) {
        ++missed_;
    }
    last_ = when;
    ++frames_;
}

std::string FrameCounter::line() const {
    return "presented " + std::to_string(frames_) + " missed " + std::to_string(missed_);
}
