// A worker's stop request and its interruptible sleep.
#include "player/stop_signal.h"

#include <chrono>

void StopSignal::raise() {
    raised_.store(true, std::memory_order_release);
    // Taken so that a sleeper between its check and its wait cannot miss the wake-up.
    { std::lock_guard lock(mutex_); }
    cv_.notify_all();
}

bool StopSignal::sleep_for(DWORD ms) const {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return raised(); });
}
