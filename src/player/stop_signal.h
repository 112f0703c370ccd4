// A worker's stop request, raised before the stop takes the job's mutex, so that no wait of the
// worker outlasts it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "platform/win/win.h"

class StopSignal {
public:
    // Marks the stop and wakes sleep_for at once. The waits of the completion semaphore and the
    // player lock watch the same flag; their owners wake them after this call.
    void raise();
    bool raised() const { return raised_.load(std::memory_order_acquire); }
    // Sleeps ms milliseconds, or less when the stop is raised; true when it is.
    bool sleep_for(DWORD ms) const;

private:
    std::atomic<bool> raised_{false};
    mutable std::mutex mutex_;
    mutable std::condition_variable cv_;
};
