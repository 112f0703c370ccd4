// How a presenter keeps the star field at 60 frames a second on any display, and the counts of
// frames presented and missed that it can report.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// The animation moves a fixed step per frame, so frames must come at 60 a second: locked to
// the refresh where it is 60 Hz, held for whole refreshes where it is a multiple of 60 (each
// frame shown `hold` refreshes), and paced by the clock otherwise (a refresh that does not
// divide, or no vsync at all).
enum class PaceMode { kVsync, kVsyncHeld, kClock };

struct PacePlan {
    PaceMode mode = PaceMode::kClock;
    int hold = 1;
    bool operator==(const PacePlan&) const = default;
};

// refresh_hz 0 means unknown.
PacePlan plan_pacing(int refresh_hz, bool vsync);

// One frame every 1/60 s.
constexpr std::chrono::nanoseconds kFramePeriod{16'666'667};

// Frames presented, and those that came later than one and a half periods after the one
// before (a frame the display showed twice).
class FrameCounter {
public:
    using Clock = std::chrono::steady_clock;
    void presented(Clock::time_point when, int swap_interval = 1);
    std::uint64_t frames() const { return frames_; }
    std::uint64_t missed() const { return missed_; }
    // "presented N missed M".
    std::string line() const;

private:
    std::uint64_t frames_ = 0;
    std::uint64_t missed_ = 0;
    Clock::time_point last_{};
};
